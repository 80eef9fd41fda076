#pragma once
#include <windows.h>
#include <winioctl.h>

#include <functional>
#include <string>

namespace zorv {

// What the system tells of the disk a file lies on, for TFileRegion's choice between a mapping
// and reads: a mapped page is fetched when it is touched, and one that can no longer be fetched
// (a stick pulled out, a share gone) ends the process instead of failing a read.
struct TStorageFacts {
    UINT driveType = DRIVE_UNKNOWN;  // GetDriveTypeW of the file's volume
    bool described = false;          // the device answered IOCTL_STORAGE_QUERY_PROPERTY
    bool removableMedia = false;     // what that answer says
    STORAGE_BUS_TYPE bus = BusTypeUnknown;
};

// Only a RAM disk or a fixed disk whose device says it is neither removable nor on a bus that
// can be unplugged (USB, SD, MMC, FireWire) is mapped. Some USB sticks report DRIVE_FIXED.
bool MayMapFrom(const TStorageFacts& facts);

// The facts of the volume that holds `path`.
TStorageFacts QueryStorageFacts(const std::wstring& path);

// The query TFileRegion asks; tests put in one that answers as a given disk would. Returns the
// one it replaces; an empty query puts the system's back.
using TStorageQuery = std::function<TStorageFacts(const std::wstring& path)>;
TStorageQuery SetStorageQuery(TStorageQuery query);

}  // namespace zorv
