// Shared by the tests of the documents the build composes (res/*.kvb): their
// bytes, the registries that read them, and a fixture that plays a loaded
// document on a real device as a render unit does.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/archive/IOF_R.h"
#include "engine/archive/SceneClassRegistry.h"
#include "host/SceneClassList.h"
#include "engine/render/RenderContext.h"
#include "engine/resources/CurrentScene.h"
#include "engine/scene/SlideShow.h"
#include "unit/BuildFiles.h"
#include "unit/D3DTestDevice.h"

// The program's registries, made once for the tests.
inline const SceneClassRegistry& ComposedDocumentClasses()
{
    static const SceneClassRegistry classes = [] {
        SceneClassRegistry made;
        RegisterSceneClasses(made);
        return made;
    }();
    return classes;
}

// Reads a document record by record with the program's registries: the
// header string, then the root's header and body; the caller goes on with
// reader and in (the resource manager's record follows the root).
class DocumentRecords {
public:
    explicit DocumentRecords(const std::vector<uint8_t>& bytes) : buffer(bytes.data(), bytes.size()), reader(&buffer)
    {
        in.archive = &reader;
        in.classes = &ComposedDocumentClasses();
    }
    DocumentRecords(const DocumentRecords&) = delete;
    DocumentRecords& operator=(const DocumentRecords&) = delete;

    // The header string, the root's class name and version, then the
    // root's body; false when the root cannot be read.
    bool ReadRoot(DS_SlideShow_Light& root)
    {
        reader.ReadString(header);
        reader.ReadString(rootName);
        reader.ReadInt(rootVersion);
        return root.ReadBody(&in, rootVersion);
    }

    ResourceBuffer buffer;
    DS_IOF_R<ResourceBuffer> reader;
    DS_IOF_Archive in;
    ds_string header;
    ds_string rootName;
    int32_t rootVersion = 0;
};

class DocumentPlayback : public D3DTestDevice {
protected:
    void SetUp() override
    {
        D3DTestDevice::SetUp();
        SetCurrentDevice(Device());
        SetCurrentRenderContext(&context_);
    }
    void TearDown() override
    {
        document_.root.reset();
        document_.manager.reset();
        SetCurrentRenderContext(nullptr);
        SetCurrentDevice(nullptr);
        D3DTestDevice::TearDown();
    }
    // Moves the document to application time t and draws it.
    void Frame(float t)
    {
        document_.root->FrameMove(t);
        ASSERT_EQ(Device()->BeginScene(), D3D_OK);
        document_.root->Render(false);
        Device()->EndScene();
    }

    RenderContext context_;
    SlideShowDocument document_;
};
