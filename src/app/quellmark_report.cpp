// The report program on Windows: the DLL search, COM for shortcuts, the
// command line in UTF-16, then the report over the real machine. Standard
// output and error take the bytes as they are (a console gets them as
// UTF-16); an output file is written beside its final name and moved there
// whole. No window, no icon and no image list.
#include "platform/win32/windows_clean.h"

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "core/categories/table.h"
#include "platform/win32/com_apartment.h"
#include "platform/win32/system_library.h"
#include "platform/win32/win32_handles.h"
#include "platform/win32/win32_platform.h"
#include "platform/win32/win32_text.h"
#include "report/run.h"

namespace {

using qm::win32::KernelObjectOwner;
using qm::win32::OwnKernelObject;

// The system's message for an error code, and the code.
std::string ErrorText(DWORD error) {
    wchar_t* allocated = nullptr;
    const DWORD n =
        FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, error, 0, reinterpret_cast<wchar_t*>(&allocated), 0, nullptr);
    const qm::win32::LocalMemoryOwner<wchar_t> buffer({}, allocated);
    std::string text = n && buffer ? qm::win32::ValidUtf8FromWide(buffer.Get(), n) : std::string();
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ' || text.back() == '.'))
        text.pop_back();
    return (text.empty() ? std::string("error") : text) + " (error " + std::to_string(error) + ")";
}

bool WriteAll(HANDLE handle, std::string_view bytes) {
    while (!bytes.empty()) {
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size(), 1u << 20));
        DWORD written = 0;
        if (!WriteFile(handle, bytes.data(), chunk, &written, nullptr) || written == 0) return false;
        bytes.remove_prefix(written);
    }
    return true;
}

// Writes in pieces of 64 KiB, not one call per entry: every call is a trip
// to the Wine server and the kernel.
class BufferedOutput : public qm::report::IOutput {
public:
    void Write(std::string_view bytes) override {
        buffer_.append(bytes);
        if (buffer_.size() >= kPiece) Flush();
    }
    void Flush() override {
        if (!buffer_.empty()) WriteThrough(buffer_);
        buffer_.clear();
    }

protected:
    ~BufferedOutput() override = default;
    virtual void WriteThrough(std::string_view bytes) = 0;

private:
    static constexpr size_t kPiece = 64 * 1024;
    std::string buffer_;
};

// Standard output or error: a console gets UTF-16, anything else (a file,
// a pipe) the bytes unchanged, with no line ends rewritten.
class StandardStream final : public BufferedOutput {
public:
    explicit StandardStream(DWORD which) : handle_(GetStdHandle(which)) {
        DWORD mode = 0;
        console_ = handle_ && handle_ != INVALID_HANDLE_VALUE && GetConsoleMode(handle_, &mode);
    }
    ~StandardStream() override { Flush(); }
    bool Ok() {
        Flush();
        return ok_;
    }
    bool Console() const { return console_; }

private:
    void WriteThrough(std::string_view bytes) override {
        if (!ok_ || bytes.empty()) return;
        if (!handle_ || handle_ == INVALID_HANDLE_VALUE) {
            ok_ = false;
            return;
        }
        if (!console_) {
            ok_ = WriteAll(handle_, bytes);
            return;
        }
        const std::wstring text = qm::win32::WrittenWide(std::string(bytes));
        DWORD written = 0;
        ok_ = WriteConsoleW(handle_, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) != 0;
    }

    HANDLE handle_;
    bool console_ = false;
    bool ok_ = true;
};

// The output file: a new file of a name of its own in the same folder
// (created, never opened if it is there), then MoveFileEx over the final
// name, so that a reader sees the old file or the new one, never a part.
class ReplacingFile final : public qm::report::IOutputFile {
public:
    static std::unique_ptr<ReplacingFile> Create(const std::string& path, std::string& error) {
        std::wstring wide;
        if (!qm::win32::ToWide(path, wide)) {
            error = ErrorText(ERROR_NO_UNICODE_TRANSLATION);
            return nullptr;
        }
        auto file = std::unique_ptr<ReplacingFile>(new ReplacingFile(std::move(wide)));
        const size_t slash = file->path_.find_last_of(L"\\/:");
        const std::wstring folder = slash == std::wstring::npos ? std::wstring() : file->path_.substr(0, slash + 1);
        const std::wstring base = slash == std::wstring::npos ? file->path_ : file->path_.substr(slash + 1);
        DWORD lastError = ERROR_FILE_EXISTS;
        for (unsigned attempt = 0; attempt < 100 && lastError == ERROR_FILE_EXISTS; ++attempt) {
            file->temporary_ = folder + L"~" + base + L"." + std::to_wstring(GetCurrentProcessId()) + L"." +
                               std::to_wstring(GetTickCount() + attempt) + L".tmp";
            file->handle_ = OwnKernelObject(CreateFileW(file->temporary_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                                        FILE_ATTRIBUTE_NORMAL, nullptr));
            if (file->handle_) return file;
            lastError = GetLastError();
        }
        file->temporary_.clear();
        error = "cannot create a temporary file beside it: " + ErrorText(lastError);
        return nullptr;
    }

    ~ReplacingFile() override {
        handle_.Reset();  // closed before the file can be deleted
        if (!temporary_.empty()) DeleteFileW(temporary_.c_str());
    }

    void Write(std::string_view bytes) override {
        buffer_.append(bytes);
        if (buffer_.size() >= 64 * 1024) Flush();
    }
    void Flush() override {
        if (writeError_ == ERROR_SUCCESS && !WriteAll(handle_.Get(), buffer_)) writeError_ = GetLastError();
        buffer_.clear();
    }

    bool Commit(std::string& error) override {
        Flush();
        if (writeError_ == ERROR_SUCCESS && !FlushFileBuffers(handle_.Get())) writeError_ = GetLastError();
        if (writeError_ == ERROR_SUCCESS && !qm::win32::CloseNow(handle_)) writeError_ = GetLastError();
        if (writeError_ != ERROR_SUCCESS) {
            error = ErrorText(writeError_);
            return false;
        }
        if (!MoveFileExW(temporary_.c_str(), path_.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
            error = ErrorText(GetLastError());
            return false;
        }
        temporary_.clear();
        return true;
    }

private:
    explicit ReplacingFile(std::wstring path) : path_(std::move(path)) {}
    std::wstring path_;
    std::wstring temporary_;
    KernelObjectOwner handle_;
    std::string buffer_;
    DWORD writeError_ = ERROR_SUCCESS;
};

class ConsoleHost : public qm::report::IReportHost {
public:
    qm::report::IOutput& StandardOutput() override { return out_; }
    bool StandardOutputOk() override { return out_.Ok(); }
    bool StandardOutputIsConsole() override { return out_.Console(); }
    void StandardError(std::string_view text) override {
        err_.Write(text);
        err_.Flush();
    }

    bool ReadFile(const std::string& path, size_t limit, std::string& contents, std::string& error) override {
        std::wstring wide;
        if (!qm::win32::ToWide(path, wide)) {
            error = ErrorText(ERROR_NO_UNICODE_TRANSLATION);
            return false;
        }
        const KernelObjectOwner file = OwnKernelObject(CreateFileW(wide.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                                                   OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) {
            error = ErrorText(GetLastError());
            return false;
        }
        LARGE_INTEGER size{};
        if (!GetFileSizeEx(file.Get(), &size)) {
            error = ErrorText(GetLastError());
            return false;
        }
        if (size.QuadPart < 0 || static_cast<unsigned long long>(size.QuadPart) > limit) {
            error = "larger than " + std::to_string(limit / (1024 * 1024)) + " MiB";
            return false;
        }
        contents.assign(static_cast<size_t>(size.QuadPart), '\0');
        size_t done = 0;
        while (done < contents.size()) {
            DWORD read = 0;
            if (!::ReadFile(file.Get(), contents.data() + done, static_cast<DWORD>(contents.size() - done), &read,
                            nullptr)) {
                error = ErrorText(GetLastError());
                return false;
            }
            if (read == 0) break;  // shorter than it was a moment ago
            done += read;
        }
        contents.resize(done);
        return true;
    }

    std::unique_ptr<qm::report::IOutputFile> CreateOutputFile(const std::string& path, std::string& error) override {
        return ReplacingFile::Create(path, error);
    }

private:
    StandardStream out_{STD_OUTPUT_HANDLE};
    StandardStream err_{STD_ERROR_HANDLE};
};

}  // namespace

int wmain(int argc, wchar_t** argv) {
    // Before anything can load a DLL by name: System32 only, never the
    // folder the program was saved to or the current one. Where it cannot
    // be, the report says so and ends (RunReport).
    qm::win32::RestrictDllSearchToSystem32();
    std::vector<std::string> arguments;
    // Valid UTF-8: the messages repeat the arguments.
    for (int i = 1; i < argc; ++i) arguments.push_back(qm::win32::ValidUtf8FromWide(argv[i]));
    // COM only once a shortcut or a task file is read.
    qm::win32::ComOnFirstUse com;
    qm::win32::Win32Machine machine;
    ConsoleHost host;
    return qm::report::RunReport(machine.platform, qm::kCategories, arguments, host);
}
