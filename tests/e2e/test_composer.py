"""The scene composer's brush, light, sound, sprite, model and particle statements: a scene it
cannot compose ends with a message naming the fault and writes no document;
a good one writes a document that holds the brush's mask and effect bytes,
the lake's ripple map, or the sprites' and particles' pictures."""
import os
import shutil
import tempfile
import unittest

from harness import EFFECTS, LIBRARY, SCENE_PICTURES as PICTURES, compose

SLIDE = "slide S\npicture landscape.jpg\n"
WATER = SLIDE + "brush DS_WaterFX\nmask mask_water.png\neffect 090_water.fxo\n"


class TestComposer(unittest.TestCase):
    def setUp(self):
        self.tmp = tempfile.mkdtemp(prefix="corvalline-composer-")

    def tearDown(self):
        shutil.rmtree(self.tmp, ignore_errors=True)

    def compose(self, scene, library=LIBRARY):
        return compose(scene, self.tmp, library)

    def test_scenes_it_cannot_compose(self):
        cases = [
            ("brush DS_NoSuchFX\n", "unknown brush kind"),
            ("mask mask_water.png\n", "unknown statement 'mask'"),
            ("brush DS_RadialWaveFX\nangle 90\n", "does not fit this brush"),
            ("brush DS_WaterfallFX\nlayers many\n", "does not fit this brush"),
            ("brush DS_WaterfallFX\ncolor 1000000\n", "does not fit this brush"),
            ("brush DS_WaterFX\nmask mask_water.png\n", "needs a mask and an effect"),
            ("brush DS_WaterFX\nmask missing.png\neffect 090_water.fxo\n", "cannot read mask"),
            ("brush DS_WaterFX\nmask mask_water.png\neffect missing.fxo\n", "cannot read effect"),
            ("light DS_NoSuchLight\n", "unknown light kind"),
            ("light DS_MatrixCodeLight\nglyph-color 1000000\n", "does not fit this light"),
            ("light DS_MatrixCodeLight\ndensity -1\n", "does not fit this light"),
            ("light DS_MatrixCodeLight\nlayers 3\n", "unknown statement 'layers'"),
            ("light DS_MatrixCodeLight\nglyph-image 999\n", "no library picture 999"),
            ("sound ogg a.ogg\n", "unknown sound kind 'ogg'"),
            ("sound mp3\n", "sound wants a kind"),
            ("sound wav a.wav\nvolume 101\n", "volume is 0 to 100"),
            ("sound wav a.wav\nmode 3\n", "mode is 0, 1 or 2"),
            ("sound wav a.wav\ninvisible 2 1\n", "invisible wants two seconds"),
            ("sound wav a.wav\nname \"a.wav\"\n", "only an mp3 sound has a stored name"),
            ("sound mp3 a.mp3\nname a.mp3\n", "name wants a quoted text"),
            ("sound wav a.wav\nmask mask_water.png\n", "unknown sound setting 'mask'"),
            ("sound wav missing.wav\n", "cannot read sound"),
            ("light FakeLake2D\nmode 1\n", "does not fit this light"),
            ("light FakeLake2D\nlake-color 1000000\n", "does not fit this light"),
            ("light DS_WaterRingLight\nripple-map ripple_dudv.dds\n", "needs a file and a FakeLake2D light"),
            ("light DS_WaterRingLight\ndrop-rate -1\n", "does not fit this light"),
            ("light FakeLake2D\nripple-map missing.dds\n", "cannot read the V8U8 ripple map"),
            ("light FakeLake2D\nripple-map mask_water.png\n", "cannot read the V8U8 ripple map"),
            ("particles DS_Sparks\n", "unknown particles kind"),
            ("particles DS_TwinklingStars\ngrow 50\n", "unknown statement 'grow' for this brush"),
            ("particles DS_Bling\nframes 0.5 particle_frame0.png\n", "does not fit this brush"),
            ("particles DS_Bling\npoint 10\n", "does not fit this brush"),
            ("particles DS_Bling\nglow-color 1000000\n", "does not fit this brush"),
            ("particles DS_Bling\nimage missing.png\n", "cannot read picture"),
            ("particles DS_CustomAirBrush\nframes 0.5 particle_frame0.png missing.png\n", "cannot read picture"),
            ("particles DS_Bling\neffect missing.fxo\n", "cannot read effect"),
            ("particles DS_LightningGN\nline 1 2 3\n", "does not fit the lightning"),
            ("particles DS_LightningGN\nbranches 1 2 -3\n", "does not fit the lightning"),
            ("particles DS_LightningGN\npoint 1 2\n", "does not fit this brush"),
            ("particles DS_LightningGN\nsize 5\n", "unknown statement 'size' for this brush"),
            ("particles DS_Plant\nquad 1 2 3\n", "does not fit this item"),
            ("particles DS_Plant\norigin 1 2\n", "does not fit this item"),
            ("particles DS_Smoke\ncount 3\n", "unknown statement 'count' for this item"),
            ("particles DS_RadialRays\nlength -1\n", "does not fit this item"),
            ("particles DS_Smoke\nrandom 1\n", "does not fit this item"),
            ("particles DS_RadialRays\nimage missing.png\n", "cannot read picture"),
            ("particles DS_FallingStars\nrect 1 2\n", "rect wants"),
            ("particles DS_FallingStars\npoint 1 1\n", "does not fit this brush"),
            ("particles DS_FallingStars\nrate many\n", "rate wants a whole number"),
            ("particles DS_FireworkSimple\nrect 0 0 1 1\n", "does not fit this brush"),
            ("particles DS_FireworkSimple\norigin 5\n", "origin wants"),
            ("particles DS_FireworkSimple\ntrails 1 2\n", "trails wants"),
            ("light DS_GlassBallLight\nposition 10\n", "does not fit this light"),
            ("light DS_GlassBallLight\nsize -1\n", "does not fit this light"),
            ("light DS_GlassBallLight\ntop-color 1000000\n", "does not fit this light"),
            ("light DS_GlassBallLight\nmode 1 2\n", "does not fit this light"),
            ("light DS_GlassBallLight\nstrength 3\n", "unknown statement 'strength'"),
            ("light DS_GlassBallLight\nstand-image 999\n", "no library picture 999"),
            ("light DS_FlameLight\nfire-colors 00FFFF\n", "does not fit this light"),
            ("light DS_FlameLight\nstrength -1\n", "does not fit this light"),
            ("light DS_FlameLight\nmode 1\n", "unknown statement 'mode'"),
            ("sprite DS_NoSuchSprite\n", "unknown sprite kind 'DS_NoSuchSprite'"),
            ("sprite DS_FishConstructor\ncount 16384\n", "count wants"),
            ("sprite DS_FishConstructor\narea 0.5 0 0.4 1\n", "area wants"),
            ("sprite DS_FishConstructor\narea 0 0 1.5 1\n", "area wants"),
            ("sprite DS_FishConstructor\nalpha 1 0\n", "alpha wants"),
            ("sprite DS_FishConstructor\ncolor 1000000\n", "color wants"),
            ("sprite DS_FishConstructor\nmax-speed 1\n", "max-speed wants"),
            ("sprite DS_FishConstructor\ndirection 90\n", "unknown statement 'direction'"),
            ("sprite DS_FishConstructor\nimage\n", "image needs a file"),
            ("sprite DS_FishConstructor\nimage 0 a.png b.png\n", "image wants"),
            ("sprite DS_FishConstructor\nimage missing.png\n", "cannot read sprite picture"),
            ("sprite DS_FlowConstructor\nedge middle 0 0 0 0 0\n", "edge wants"),
            ("sprite DS_FlowConstructor\nedge top 3 0 0 0 0\n", "edge wants"),
            ("sprite DS_RainConstructor\norientation 4\n", "orientation wants"),
            ("sprite DS_FogConstructor\nframes 0 5\n", "frames wants"),
            ("model dragon\n", "unknown model kind 'dragon'"),
            ("model butterfly\ncount 1001\n", "count wants 0 to 1000"),
            ("model butterfly\narea 0.5 0 0.2 1\n", "area wants LEFT TOP RIGHT BOTTOM"),
            ("model clock\nwing-scale 2\n", "unknown statement 'wing-scale'"),
            ("model array\ndirection 360\n", "direction wants 0 to 359"),
            ("model array\nmesh missing.x\n", "cannot read model file"),
            ("model butterfly\nwing-picture missing.png\n", "cannot read model file"),
            ("sprite DS_GodRayConstructor\nray-angle -1\n", "ray-angle wants a whole number"),
            ("sprite DS_GrassConstructor\nsway wide\n", "sway wants a number"),
            ("sprite DS_FlowerConstructor\nsway 1 2\n", "sway wants a number"),
            ("sprite DS_StatObjConstructor\nplace 1\n", "place wants X Y"),
            ("sprite DS_DischargeConstructor\nrotation 1.5\n", "rotation wants a whole number"),
            ("sprite DS_SparkleConstructor\nsway 3\n", "unknown statement 'sway'"),
            ("timeline 1 50 100 50 100\n", "timeline needs an item"),
            ("light DS_MatrixCodeLight\ntimeline 1 50 100 50 100\n", "timeline needs an item"),
            ("sprite DS_ExplosionConstructor\ntimeline 2 0 0 0 0\n", "timeline wants MODE"),
            ("sprite DS_ExplosionConstructor\ntimeline 1 0 0 0\n", "timeline wants MODE"),
            ("model clock\ntimeline 1 0 -1 0 0\n", "timeline durations"),
            ("sprite DS_ExplosionConstructor\nnoise 1 2\n", "noise wants"),
            ("sprite DS_ExplosionConstructor\nseed -3\n", "seed wants"),
            ("sprite DS_ExplosionConstructor\ncolor2 1000000\n", "color2 wants"),
            ("sprite DS_ExplosionConstructor\nposition 1\n", "position wants"),
            ("sprite DS_ExplosionConstructor\ntext hi\n", "unknown statement 'text'"),
            ("sprite DS_StaticTextConstructor\nalign 3 0\n", "align wants"),
            ("sprite DS_StaticTextConstructor\nfont Arial 0 700\n", "font wants"),
            ("sprite DS_StaticTextConstructor\nscroll-time 5\n", "unknown statement 'scroll-time'"),
            ("sprite DS_ScrollingTextConstructor\ndirection 4\n", "direction wants"),
            ("particles DS_Bling\npoint 1 1\nsprite DS_ExplosionConstructor\nnoise 1\n", "noise wants"),
        ]
        for body, message in cases:
            with self.subTest(body=body):
                code, err, output = self.compose(SLIDE + body)
                self.assertEqual(code, 1, err)
                self.assertIn(message, err)
                self.assertFalse(os.path.exists(output))

    def test_missing_library_picture_is_an_error(self):
        # The water brush's bump picture comes from the library's folder.
        code, err, output = self.compose(WATER, library=self.tmp)
        self.assertEqual(code, 1, err)
        self.assertIn("no library picture 89", err)
        self.assertFalse(os.path.exists(output))

    def test_brush_document_holds_its_mask_and_effect(self):
        code, err, output = self.compose(WATER)
        self.assertEqual(code, 0, err)
        with open(output, "rb") as f:
            document = f.read()
        for stored in (os.path.join(PICTURES, "mask_water.png"), os.path.join(EFFECTS, "090_water.fxo"),
                       os.path.join(LIBRARY, "water_bump.png")):
            with open(stored, "rb") as f:
                self.assertIn(f.read(), document, stored)

    def test_particles_document_holds_its_pictures_sequence_and_effect(self):
        code, err, output = self.compose(SLIDE + "particles DS_Bling\nimage particle_glow.png\nimage particle_glint.png\n"
                                         "effect document/particles.fxo\npoint 10 20\n"
                                         "particles DS_CustomAirBrush\nframes 0.5 particle_frame0.png particle_frame1.png\n"
                                         "grid 0 0 100 100 2 2\n")
        self.assertEqual(code, 0, err)
        with open(output, "rb") as f:
            document = f.read()
        for kind in ("DS_Bling", "DS_CustomAirBrush"):
            self.assertIn(kind.encode("utf-16-le"), document)
        for stored in [os.path.join(PICTURES, "particle_%s.png" % name) for name in ("glow", "glint", "frame0", "frame1")] + \
                [os.path.join(EFFECTS, "document", "particles.fxo")]:
            with open(stored, "rb") as f:
                self.assertIn(f.read(), document, stored)

    def test_sprite_document_holds_its_pictures(self):
        code, err, output = self.compose(SLIDE + "sprite DS_RainConstructor\nimage sprite_drop.png\ncount 20\n"
                                         "sprite DS_FishConstructor\nimage 0.5 sprite_fish.png sprite_petal.png\n"
                                         "second-image sprite_fog.png\n")
        self.assertEqual(code, 0, err)
        with open(output, "rb") as f:
            document = f.read()
        for kind in ("DS_RainConstructor", "DS_FishConstructor"):
            self.assertIn(kind.encode("utf-16-le"), document)
        for name in ("landscape.jpg", "sprite_drop.png", "sprite_fish.png", "sprite_petal.png", "sprite_fog.png"):
            with open(os.path.join(PICTURES, name), "rb") as f:
                self.assertIn(f.read(), document, name)

    def test_effect_sprite_document_holds_its_pictures_effects_and_text(self):
        code, err, output = self.compose(SLIDE + "sprite DS_ExplosionConstructor\nimage explosion_gradient.png\n"
                                         "second-image explosion_noise.png\nposition 300 200\ntimeline 1 50 100 50 100\n"
                                         "sprite DS_ScrollingTextConstructor\ntext Over \\n the lake\nbox 300 100\n"
                                         "scroll-time 4\n")
        self.assertEqual(code, 0, err)
        with open(output, "rb") as f:
            document = f.read()
        for text in ("DS_ExplosionConstructor", "DS_ScrollingTextConstructor", "Over\nthe lake"):
            self.assertIn(text.encode("utf-16-le"), document)
        for stored in [os.path.join(PICTURES, "explosion_%s.png" % name) for name in ("gradient", "noise")] + \
                [os.path.join(EFFECTS, "document", name) for name in ("explosion.fxo", "text.fxo")]:
            with open(stored, "rb") as f:
                self.assertIn(f.read(), document, stored)

    def test_lake_document_holds_its_ripple_map(self):
        code, err, output = self.compose(SLIDE + "light FakeLake2D\nripple-map ripple_dudv.dds\nlake-height 40\n"
                                         "brush DS_RadialWaveFX\nmask mask_ripple.png\neffect 103_radialwave.fxo\n")
        self.assertEqual(code, 0, err)
        with open(output, "rb") as f:
            document = f.read()
        self.assertIn("FakeLake2D".encode("utf-16-le"), document)
        with open(os.path.join(PICTURES, "ripple_dudv.dds"), "rb") as f:
            self.assertIn(f.read(), document)

    def test_flame_document_holds_its_pictures_and_effects(self):
        code, err, output = self.compose(SLIDE + "light DS_FlameLight\nfire-colors 00FFFF 0000FF\nbump-scale 90\n")
        self.assertEqual(code, 0, err)
        with open(output, "rb") as f:
            document = f.read()
        self.assertIn("DS_FlameLight".encode("utf-16-le"), document)
        for stored in (os.path.join(EFFECTS, "063_distortion.fxo"), os.path.join(EFFECTS, "092_fire.fxo"),
                       os.path.join(LIBRARY, "flame_pattern.dds"), os.path.join(LIBRARY, "noise.dds"),
                       os.path.join(LIBRARY, "distortion.dds")):
            with open(stored, "rb") as f:
                self.assertIn(f.read(), document, stored)
        # Without the library's pictures the composer cannot store them.
        code, err, _ = self.compose(SLIDE + "light DS_FlameLight\n", library=self.tmp)
        self.assertEqual(code, 1, err)
        self.assertIn("no library picture 7", err)


if __name__ == "__main__":
    unittest.main()
