// Base of every class stored as a class record, and the record header that
// each class level writes: its class name as a string and its version as an
// int. Records carry no length; a reader consumes exactly what the writer
// wrote.
#pragma once

#include "engine/archive/IOF_Virtual.h"

class DS_IOF_Item {
public:
    virtual ~DS_IOF_Item() = default;
    // Writes the object's complete record, newest version, in the order its
    // reader reads it.
    virtual void Write(DS_IOF_Archive* ar) = 0;
};

void WriteRecordHeader(DS_IOF_Archive* ar, const wchar_t* className, int32_t version);
// Reads a header where the class is known: the name is read and not
// compared; returns the version (0 when the read ran short, and the
// archive has failed then).
int32_t ReadRecordHeader(DS_IOF_Archive* ar);
