#include "engine/archive/IOF_Item.h"

void WriteRecordHeader(DS_IOF_Archive* ar, const wchar_t* className, int32_t version)
{
    ar->archive->WriteString(className);
    ar->archive->WriteInt(version);
}

int32_t ReadRecordHeader(DS_IOF_Archive* ar)
{
    ds_string name;
    int32_t version = 0;
    ar->archive->ReadString(name);
    ar->archive->ReadInt(version);
    return ar->Failed() ? 0 : version;
}
