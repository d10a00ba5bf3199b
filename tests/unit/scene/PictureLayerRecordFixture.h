// Reads picture-layer records by class name through the scene's own
// registries, as a slide's reader does.
#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "engine/archive/SceneClassRegistry.h"
#include "engine/scene/Light2D.h"
#include "host/SceneClassList.h"
#include "unit/MemoryArchive.h"

class PictureLayerRecordFixture : public ::testing::Test {
protected:
    void SetUp() override { RegisterSceneClasses(classes_); }

    // The layer the next record names; null when it cannot be read.
    // failed_ tells whether the archive failed.
    std::unique_ptr<DS_2D_Light> ReadLayer(MemoryArchive& archive)
    {
        DS_IOF_Archive handle = archive.Handle();
        handle.classes = &classes_;
        std::unique_ptr<DS_2D_Light> layer = ReadRecordByName(&handle, classes_.pictureLayers);
        failed_ = handle.Failed();
        return layer;
    }

    SceneClassRegistry classes_;
    bool failed_ = false;
};
