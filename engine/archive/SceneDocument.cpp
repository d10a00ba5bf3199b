#include "engine/archive/SceneDocument.h"

#include <exception>

#include "engine/archive/IOF_Item.h"
#include "engine/archive/IOF_R.h"

HRESULT ReadSceneDocument(const uint8_t* bytes, size_t size, const SceneClassRegistry& classes,
                          SceneDocumentContent& content)
{
    ResourceBuffer buffer(bytes, size);
    DS_IOF_R<ResourceBuffer> archive(&buffer);
    DS_IOF_Archive handle;
    handle.archive = &archive;
    handle.classes = &classes;
    try {
        // The header text ("KVB v 4.0.0" in the program's document) is not
        // looked at: the records that follow carry their own versions.
        ds_string header;
        archive.ReadString(header);
        if (handle.Failed()) return kErrSceneDocument;
        const int32_t rootVersion = ReadRecordHeader(&handle);
        if (handle.Failed()) return kErrSceneDocument;
        content.ReadRoot(&handle, rootVersion);
        if (handle.Failed()) return kErrSceneDocument;
        const int32_t managerVersion = ReadRecordHeader(&handle);
        if (handle.Failed()) return kErrSceneDocument;
        content.ReadResourceManager(&handle, managerVersion);
    } catch (const std::exception&) {
        // A reader that cannot allocate or otherwise gives up by throwing
        // rejects the document like any other fault; the saver shows the
        // error instead of ending.
        return kErrSceneDocument;
    }
    return handle.Failed() ? kErrSceneDocument : S_OK;
}

HRESULT LoadSceneDocument(SceneDocumentContent& content, HMODULE module)
{
    ResourceBuffer resource;
    if (!ResourceBuffer::FromModule(module, kSceneDocumentId, kSceneDocumentType, resource)) {
        return kErrSceneDocument;
    }
    return ReadSceneDocument(resource.Cursor(), resource.Remaining(), SceneClasses(), content);
}
