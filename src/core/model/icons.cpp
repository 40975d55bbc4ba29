#include "core/model/icons.h"

#include "core/model/native_path.h"
#include "core/model/rows.h"
#include "core/model/text.h"

namespace qm {

// No privilege is enabled for these lookups: the shell answers them from
// the name and the image lists it keeps, as it does for any program
// (core/privileges.h).
bool LookUpSysIconIndex(Platform& platform, const std::string& pathOrName, int& index) {
    ShellFileInfo info;  // index 0 when the shell does not answer
    const bool found = platform.shell.GetFileInfo(NativePath(platform, pathOrName), 0, info,
                                                  kShgfiSysIconIndex | kShgfiUseFileAttributes) != 0;
    index = found ? info.iIcon : 0;
    return found;
}

int GetSysIconIndex(Platform& platform, const std::string& pathOrName) {
    int index = 0;
    LookUpSysIconIndex(platform, pathOrName, index);
    return index;
}

IconHandle GetFileIcon(Platform& platform, const std::string& path, bool small) {
    ShellFileInfo info;  // no icon when the shell does not answer
    // A network or device path gets the icon of its type by name alone: the
    // shell is not sent to the server or the pipe for it.
    const bool byName = IsNetworkOrDevicePath(path);
    const std::string name = byName ? path.substr(path.find_last_of("\\/") + 1) : NativePath(platform, path);
    platform.shell.GetFileInfo(name, byName ? kFileAttributeNormal : 0, info,
                               kShgfiIcon | (small ? kShgfiSmallIcon : 0) | (byName ? kShgfiUseFileAttributes : 0));
    return info.hIcon;
}

void AttachSystemImageLists(Platform& platform, EntryList& list) {
    ShellFileInfo info;
    list.SetImageList(kLvsilSmall, ImageListHandle{platform.shell.GetFileInfo("C:\\", 0, info,
                                                                              kShgfiSysIconIndex | kShgfiSmallIcon)});
    list.SetImageList(kLvsilNormal, ImageListHandle{platform.shell.GetFileInfo("C:\\", 0, info, kShgfiSysIconIndex)});
}

int IconIndexOf(Platform& platform, const IconSource& icon) {
    int index = 0;
    const bool found = LookUpSysIconIndex(platform, icon.name, index);
    if ((icon.programIfNotFound && !found) || (icon.programIfUnknown && index == GetSysIconIndex(platform, "0")))
        return GetSysIconIndex(platform, ".exe");
    return index;
}

void SystemIcons::RowRead(Entry& row, const IconSource& icon) {
    row.image = IconIndexOf(platform_, icon);
    if (attachTo_) AttachSystemImageLists(platform_, *attachTo_);
}

}  // namespace qm
