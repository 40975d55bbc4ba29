#include "model.h"

namespace qm {

void TSubItems::Check(int index) const {
    if (index < 0 || index >= Count())
        throw QuellmarkError(FormatMessage1("List index out of bounds (%d)", index));
}

const std::string& TSubItems::operator[](int index) const {
    Check(index);
    return items_[static_cast<size_t>(index)];
}

std::string& TSubItems::operator[](int index) {
    Check(index);
    return items_[static_cast<size_t>(index)];
}

TEntryRow& TListView::Add() {
    ++version_;
    return rows_.emplace_back();
}

void TListView::Clear() {
    rows_.clear();
    selected_ = focused_ = -1;
    ++version_;
}

void TListView::Delete(int index) {
    if (index < 0 || index >= Count()) return;
    rows_.erase(rows_.begin() + index);
    for (int* mark : {&selected_, &focused_}) {
        if (*mark == index) *mark = -1;
        else if (*mark > index) --*mark;
    }
    ++version_;
}

void TListView::SetSelection(int selected, int focused) {
    selected_ = (selected >= 0 && selected < Count()) ? selected : -1;
    focused_ = (focused >= 0 && focused < Count()) ? focused : -1;
}

TEntryRow* TListView::Selected() { return selected_ >= 0 ? &rows_[static_cast<size_t>(selected_)] : nullptr; }

void TListView::EditCaption(int index, const std::string& caption) {
    if (index < 0 || index >= Count()) return;
    rows_[static_cast<size_t>(index)].Caption = caption;
    ++version_;
}

void TListView::SetImageList(int kind, Handle imageList) {
    Handle& slot = kind == kLvsilSmall ? smallImages_ : largeImages_;
    if (slot != imageList) ++version_;
    slot = imageList;
}

std::string ReplaceAll(const std::string& text, const std::string& sub, const std::string& replacement) {
    if (sub.empty()) return text;
    // Replacing and searching again from the start is the same as one pass
    // as long as the replacement cannot form `sub` again, which callers keep.
    std::string result;
    result.reserve(text.size());
    size_t from = 0;
    for (size_t at; (at = text.find(sub, from)) != std::string::npos; from = at + sub.size()) {
        result.append(text, from, at - from);
        result += replacement;
    }
    result.append(text, from, std::string::npos);
    return result;
}

std::string LowerAscii(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return text;
}

std::string TrimControl(const std::string& text) {
    size_t begin = 0, end = text.size();
    while (begin < end && static_cast<unsigned char>(text[begin]) <= 32) ++begin;
    while (end > begin && static_cast<unsigned char>(text[end - 1]) <= 32) --end;
    return text.substr(begin, end - begin);
}

bool StartsWithNoCase(const std::string& text, const std::string& prefix) {
    return text.size() >= prefix.size() && LowerAscii(text.substr(0, prefix.size())) == LowerAscii(prefix);
}

std::string ExtractTargetPath(const std::string& commandLine, const std::string& marker) {
    std::string text = ReplaceAll(LowerAscii(commandLine), "\"", "");
    size_t found = text.find(marker);
    size_t p = found == std::string::npos ? 0 : found + 1;  // 1-based, 0 when absent
    // The marker and the one character after it: p + 4 characters.
    return TrimControl(text.substr(0, p + 4));
}

std::string ExtractFileDir(const std::string& path) {
    const size_t last = path.find_last_of("\\:");
    if (last == std::string::npos) return {};
    if (path[last] == ':') return path.substr(0, last + 1);
    if (last > 0 && (path[last - 1] == '\\' || path[last - 1] == ':')) return path.substr(0, last + 1);
    return path.substr(0, last);
}

namespace {
// Closes a token handle on every path out.
class TokenOwner {
public:
    TokenOwner(IToken& token, Handle h) : token_(token), h_(h) {}
    ~TokenOwner() { token_.CloseToken(h_); }
    TokenOwner(const TokenOwner&) = delete;
    TokenOwner& operator=(const TokenOwner&) = delete;

private:
    IToken& token_;
    Handle h_;
};
}  // namespace

bool EnablePrivilege(Platform& platform, const std::string& name, bool enable) {
    Handle token = 0;
    if (!platform.token.OpenProcessToken(kTokenAdjustPrivileges | kTokenQuery, token)) return false;
    TokenOwner owner(platform.token, token);
    Luid luid;
    if (!platform.token.LookupPrivilegeValue(name, luid)) return false;
    // The previous-state buffer is one TOKEN_PRIVILEGES of one entry: 16 bytes.
    constexpr std::uint32_t kPreviousStateBytes = sizeof(std::uint32_t) + sizeof(Luid) + sizeof(std::uint32_t);
    return platform.token.AdjustTokenPrivileges(token, luid, enable ? kSePrivilegeEnabled : 0, kPreviousStateBytes);
}

int GetSysIconIndex(Platform& platform, const std::string& pathOrName) {
    EnablePrivilege(platform, "SeDebugPrivilege", true);
    ShellFileInfo info;  // index 0 when the shell does not answer
    platform.shell.GetFileInfo(pathOrName, 0, info, kShgfiSysIconIndex | kShgfiUseFileAttributes);
    return info.iIcon;
}

Handle GetFileIcon(Platform& platform, const std::string& path, bool small) {
    ShellFileInfo info;  // no icon when the shell does not answer
    platform.shell.GetFileInfo(path, 0, info, kShgfiIcon | (small ? kShgfiSmallIcon : 0));
    return info.hIcon;
}

void AttachSystemImageLists(Platform& platform, TListView& list) {
    EnablePrivilege(platform, "SeDebugPrivilege", true);
    ShellFileInfo info;
    list.SetImageList(kLvsilSmall, platform.shell.GetFileInfo("C:\\", 0, info, kShgfiSysIconIndex | kShgfiSmallIcon));
    list.SetImageList(kLvsilNormal, platform.shell.GetFileInfo("C:\\", 0, info, kShgfiSysIconIndex));
}

}  // namespace qm
