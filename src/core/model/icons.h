// Icons, and the window's share of every row a collector reads: its icon
// and, for some lists, the system image lists renewed.
#pragma once
#include <string>

#include "platform/platform.h"

namespace qm {

class EntryList;
struct Entry;

int GetSysIconIndex(Platform& platform, const std::string& pathOrName);
// The same lookup, and whether the shell answered it: on false `index` is 0.
bool LookUpSysIconIndex(Platform& platform, const std::string& pathOrName, int& index);
IconHandle GetFileIcon(Platform& platform, const std::string& path, bool small);
void AttachSystemImageLists(Platform& platform, EntryList& list);

// The file whose system icon a row shows. With `programIfUnknown`, a name
// whose icon is that of unknown files shows the program icon instead; with
// `programIfNotFound` as well, so does a name whose lookup fails.
struct IconSource {
    std::string name;
    bool programIfUnknown = false;
    bool programIfNotFound = false;
};
int IconIndexOf(Platform& platform, const IconSource& icon);

// What a collector hands over the moment it has read a row, before it reads
// on: the window gives the row its icon there, so the shell and token calls
// keep their place among the collector's own. A program without a window
// passes none, and its rows keep image 0.
class IRowIcons {
public:
    virtual ~IRowIcons() = default;
    virtual void RowRead(Entry& row, const IconSource& icon) = 0;
};

// The main window's icons: the row's system icon and, when `attachTo` is
// given, that list's image lists attached again after every row.
class SystemIcons : public IRowIcons {
public:
    SystemIcons(Platform& platform, EntryList* attachTo) : platform_(platform), attachTo_(attachTo) {}
    void RowRead(Entry& row, const IconSource& icon) override;

private:
    Platform& platform_;
    EntryList* attachTo_;
};

}  // namespace qm
