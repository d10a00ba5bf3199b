import os
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(__file__), ".."))
import check_layers  # noqa: E402

REPO = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", "..", ".."))


class LayerTest(unittest.TestCase):
    def test_the_source_tree_keeps_its_layers(self):
        self.assertEqual(check_layers.offending_includes(REPO), [])

    def test_an_include_of_a_higher_layer_is_reported(self):
        cases = [
            ("engine/archive/A.cpp", '#include "engine/scene/Slide.h"', True),
            ("engine/archive/A.cpp", '#include "effects/brushes/BrushClasses.h"', True),
            ("engine/params/P.cpp", '#include "engine/render/ViewMetrics.h"', True),
            ("engine/params/P.cpp", '#include "engine/archive/IOF_Virtual.h"', False),
            ("engine/scene/S.cpp", '#include "objects/sprites/X.h"', True),
            ("effects/lights/L.cpp", '#include "host/Registry.h"', True),
            ("effects/lights/L.cpp", '#include "effects/brushes/FireFX.h"', False),
            ("engine/archive/A.cpp", '#include <d3d9.h>', False),
            ("engine/settings/U.cpp", '#include "engine/archive/IOF_W.h"', True),
            ("engine/settings/U.cpp", '#include "host/Registry.h"', True),
            ("engine/scene/S.cpp", '#include "engine/settings/UserSettings.h"', False),
            ("sound/S.cpp", '#include "host/Registry.h"', True),
            ("sound/S.cpp", '#include "objects/sprites/X.h"', True),
            ("sound/S.cpp", '#include "engine/settings/UserSettings.h"', False),
        ]
        for path, line, bad in cases:
            with self.subTest(path=path, line=line), tempfile.TemporaryDirectory() as root:
                full = os.path.join(root, path)
                os.makedirs(os.path.dirname(full))
                with open(full, "w") as f:
                    f.write(line + "\n")
                self.assertEqual(bool(check_layers.offending_includes(root)), bad)


if __name__ == "__main__":
    unittest.main()
