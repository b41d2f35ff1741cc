#pragma once
// Io for a fixed-size record that can append its image to an le::Writer and
// parse it from an le::Reader: one place for the write-or-read decision and
// for putting the file back after a short read.

#include "ByteOrder.h"
#include "FileIO.h"

#include <cstdio>
#include <vector>

template <class Record> int RecordIo(Record& record, OFileIO& file)
{
    std::vector<uint8_t> image;
    if (file.IsWriting()) {
        le::Writer w(image);
        record.Append(w);
        return file.Write(image.data(), image.size());
    }
    const int64_t start = file.Ftell();
    image.resize(Record::kRecordSize);
    if (!file.Read(image.data(), image.size())) {
        file.Fseek(start, SEEK_SET);
        return 0;
    }
    le::Reader r(image);
    return record.Parse(r);
}
