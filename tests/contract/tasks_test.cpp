// What the scheduled-task tab asks of the machine, held to the same answers
// on the simulated machine and on the real one: a file read whole or not at
// all, the system's XML reader (the nodes of a task document, and the
// documents it refuses), a task deleted through the Task Scheduler, and one
// registered from its definition.
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>

#include "contract/env.h"
#include "contract/env_files.h"
#include "core/model/native_path.h"
#include "platform/owner.h"

namespace qm {
namespace {

using contract::Machine;

std::vector<std::uint8_t> Bytes(const std::string& text) { return {text.begin(), text.end()}; }

std::string Utf16(const std::string& text) {
    std::string out("\xFF\xFE", 2);
    for (char c : text) out += std::string{c, '\0'};
    return out;
}

std::string Events(const std::vector<XmlEvent>& events) {
    std::string out;
    for (const XmlEvent& e : events) {
        out += std::to_string(e.depth);
        out += e.kind == XmlEvent::Start ? "<" + e.name + ">" : e.kind == XmlEvent::End ? "</" + e.name + ">" : e.text;
        out += "|";
    }
    return out;
}

TEST(FilesContract, AFileIsReadWholeOrNotAtAll) {
    const std::string folder = contract::PrepareScratchFolder();
    contract::PutPlainFile(folder + "\\small.xml", "<Task/>", kFileAttributeArchive);
    std::vector<std::uint8_t> content{1, 2, 3};
    EXPECT_EQ(kErrorSuccess, Machine().files.ReadFileBytes(folder + "\\small.xml", 7, content));
    EXPECT_EQ(Bytes("<Task/>"), content);
    EXPECT_EQ(kErrorFileTooLarge, Machine().files.ReadFileBytes(folder + "\\small.xml", 6, content));
    EXPECT_TRUE(content.empty());
    EXPECT_EQ(kErrorFileNotFound, Machine().files.ReadFileBytes(folder + "\\missing.xml", 100, content));
    EXPECT_TRUE(content.empty());
    contract::RemoveScratchFolder();
}

TEST(TasksContract, TheXmlReaderGivesATaskDocumentsNodes) {
    const auto document = [](const char* encoding) {
        return std::string("<?xml version=\"1.0\" encoding=\"") + encoding + "\"?>\r\n" +
               "<Task version=\"1.2\" xmlns=\"http://schemas.microsoft.com/windows/2004/02/mit/task\">"
               "<!-- a comment --><Triggers><LogonTrigger/></Triggers>"
               "<Actions Context=\"Author\"><Exec><Command>C:\\a b\\x.exe</Command>"
               "<Arguments>-a &amp; &lt;b&gt;</Arguments></Exec></Actions></Task>";
    };
    const std::string expected =
        "0<Task>|1<Triggers>|2<LogonTrigger>|2</LogonTrigger>|1</Triggers>|1<Actions>|2<Exec>|3<Command>|"
        "4C:\\a b\\x.exe|3</Command>|3<Arguments>|4-a & <b>|3</Arguments>|2</Exec>|1</Actions>|0</Task>|";
    for (const std::string& bytes : {Utf16(document("UTF-16")), std::string("\xEF\xBB\xBF") + document("UTF-8")}) {
        std::vector<XmlEvent> events;
        std::string error;
        EXPECT_TRUE(Machine().tasks.ReadXml(Bytes(bytes), events, error)) << error;
        EXPECT_EQ(expected, Events(events));
    }
}

TEST(TasksContract, TheXmlReaderRefusesWhatIsNotWellFormedOrHoldsADtd) {
    std::string deep;
    for (int i = 0; i < 200; ++i) deep += "<a>";
    for (int i = 0; i < 200; ++i) deep += "</a>";
    const std::string cases[] = {
        "<Task><Actions>",           "<Task></Actions></Task>",
        "<Task><A></Task></A>",      "<!DOCTYPE Task [<!ENTITY x \"y\">]><Task>&x;</Task>",
        "<Task>" + deep + "</Task>", "<Task attr=\"unclosed></Task>",
    };
    for (const std::string& document : cases) {
        std::vector<XmlEvent> events;
        std::string error;
        EXPECT_FALSE(Machine().tasks.ReadXml(Bytes(document), events, error)) << document;
        EXPECT_NE("", error) << document;
    }
}

TEST(TasksContract, ATaskIsDeletedThroughTheSchedulerAndNoOtherWithIt) {
    std::string windows;
    ASSERT_TRUE(Machine().system.GetWindowsDirectory(windows));
    // The scheduler's own folder: a 32-bit program on 64-bit Windows reaches it as Sysnative.
    const std::string tasks = NativePath(Machine(), windows + "\\System32\\Tasks");
    const std::string folder = tasks + "\\QmContract";
    contract::MakeFolder(tasks);
    contract::MakeFolder(folder);
    const std::string task =
        "<?xml version=\"1.0\"?><Task xmlns=\"http://schemas.microsoft.com/windows/2004/02/mit/task\"><Actions>"
        "<Exec><Command>C:\\windows\\notepad.exe</Command></Exec></Actions></Task>";
    contract::PutPlainFile(folder + "\\Qm Gone", task, kFileAttributeArchive);
    contract::PutPlainFile(folder + "\\Qm Stays", task, kFileAttributeArchive);
    const long deleted = Machine().tasks.DeleteTask("\\QmContract", "Qm Gone");
    EXPECT_EQ(0, deleted);
    EXPECT_EQ(kInvalidFileAttributes, Machine().files.GetFileAttributes(folder + "\\Qm Gone"));
    EXPECT_NE(kInvalidFileAttributes, Machine().files.GetFileAttributes(folder + "\\Qm Stays"));
    // A task that is not there: the scheduler says so (an HRESULT with its failure bit).
    const long again = Machine().tasks.DeleteTask("\\QmContract", "Qm Gone");
    EXPECT_NE(0u, static_cast<std::uint32_t>(again) & 0x80000000u);
    EXPECT_EQ(0, Machine().tasks.DeleteTask("\\QmContract", "Qm Stays"));
    Machine().files.DeleteFile(folder + "\\Qm Stays");
}

// Wine's scheduler switches its own service (Schedule) to start with
// Windows once a task is registered, as it always starts on Windows: the
// start type is put back so that later tests find the machine's services
// as they were. Nothing where there is no such service.
class SchedulerStartTypeKept {
public:
    SchedulerStartTypeKept() {
        IServices& services = Machine().services;
        const ScManagerOwner manager(services, services.OpenSCManager(kScManagerConnect));
        const ServiceOwner scheduler(services, services.OpenService(manager.Get(), "Schedule", kServiceQueryConfig));
        ServiceConfig config;
        if (scheduler && services.ReadServiceConfig(scheduler.Get(), config)) startType_ = config.startType;
    }
    ~SchedulerStartTypeKept() {
        if (!startType_) return;
        IServices& services = Machine().services;
        const ScManagerOwner manager(services, services.OpenSCManager(kScManagerConnect));
        const ServiceOwner scheduler(services, services.OpenService(manager.Get(), "Schedule", kServiceChangeConfig));
        if (scheduler) services.ChangeServiceStartType(scheduler.Get(), *startType_);
    }
    SchedulerStartTypeKept(const SchedulerStartTypeKept&) = delete;
    SchedulerStartTypeKept& operator=(const SchedulerStartTypeKept&) = delete;

private:
    std::optional<std::uint32_t> startType_;
};

// A task put back from the definition a change kept: registered in a folder
// that went with it (made again with its parent), its file below the
// scheduler's folder, read by the system's reader. A task that has the
// path stays as it is, and a document that is no task makes nothing.
TEST(TasksContract, ATaskIsRegisteredFromItsDefinitionAndNeverOverAnother) {
    std::string windows;
    ASSERT_TRUE(Machine().system.GetWindowsDirectory(windows));
    const std::string tasks = NativePath(Machine(), windows + "\\System32\\Tasks");
    const std::string folder = tasks + "\\QmContractKept";
    const std::string file = folder + "\\Inner\\Qm Kept \u4E2D";
    contract::RemoveFolder(folder);
    const SchedulerStartTypeKept keptStartType;
    const std::string definition =
        "<?xml version=\"1.0\" encoding=\"UTF-16\"?>\r\n"
        "<Task version=\"1.2\" xmlns=\"http://schemas.microsoft.com/windows/2004/02/mit/task\">"
        "<RegistrationInfo><Author>Qm \u4E2D\u6587 \U0001F600</Author></RegistrationInfo>"
        "<Triggers><LogonTrigger/></Triggers>"
        "<Actions Context=\"Author\"><Exec><Command>C:\\windows\\notepad.exe</Command></Exec></Actions></Task>";
    ASSERT_EQ(0, Machine().tasks.RegisterTask("\\QmContractKept\\Inner", "Qm Kept \u4E2D", definition));

    std::vector<std::uint8_t> written;
    ASSERT_EQ(kErrorSuccess, Machine().files.ReadFileBytes(file, 64 * 1024, written));
    // Windows keeps a task's file in UTF-16LE after its mark, as the
    // simulated machine does; Wine 8 writes UTF-8 after its mark.
    const std::vector<std::uint8_t> mark =
        contract::IsWine() ? std::vector<std::uint8_t>{0xEF, 0xBB, 0xBF} : std::vector<std::uint8_t>{0xFF, 0xFE};
    ASSERT_GE(written.size(), mark.size());
    EXPECT_TRUE(std::equal(mark.begin(), mark.end(), written.begin()));
    std::vector<XmlEvent> events;
    std::string error;
    ASSERT_TRUE(Machine().tasks.ReadXml(written, events, error)) << error;
    std::string author, command;
    for (size_t i = 0; i + 1 < events.size(); ++i) {
        if (events[i].kind != XmlEvent::Start || events[i + 1].kind != XmlEvent::Text) continue;
        if (events[i].name == "Author") author = events[i + 1].text;
        if (events[i].name == "Command") command = events[i + 1].text;
    }
    EXPECT_EQ("Qm \u4E2D\u6587 \U0001F600", author);
    // Wine 8 writes the definition from what its own model of a task holds,
    // and that leaves out the actions' commands (an empty <Exec/>), the
    // triggers and the principal's user; Windows keeps them.
    EXPECT_EQ(contract::IsWine() ? "" : "C:\\windows\\notepad.exe", command);

    // The name is taken: the scheduler refuses (ERROR_ALREADY_EXISTS) and
    // the file stays as it was.
    const std::string other =
        "<Task xmlns=\"http://schemas.microsoft.com/windows/2004/02/mit/task\">"
        "<RegistrationInfo><Author>Other</Author></RegistrationInfo></Task>";
    EXPECT_EQ(static_cast<long>(0x800700B7u),
              Machine().tasks.RegisterTask("\\QmContractKept\\Inner", "Qm Kept \u4E2D", other));
    std::vector<std::uint8_t> again;
    ASSERT_EQ(kErrorSuccess, Machine().files.ReadFileBytes(file, 64 * 1024, again));
    EXPECT_TRUE(again == written);

    const long malformed = Machine().tasks.RegisterTask("\\QmContractKept", "Qm Broken", "<Task><Actions>");
    EXPECT_NE(0u, static_cast<std::uint32_t>(malformed) & 0x80000000u);
    EXPECT_EQ(kInvalidFileAttributes, Machine().files.GetFileAttributes(folder + "\\Qm Broken"));

    EXPECT_EQ(0, Machine().tasks.DeleteTask("\\QmContractKept\\Inner", "Qm Kept \u4E2D"));
    EXPECT_EQ(kInvalidFileAttributes, Machine().files.GetFileAttributes(file));
    contract::RemoveFolder(folder);
}

}  // namespace
}  // namespace qm
