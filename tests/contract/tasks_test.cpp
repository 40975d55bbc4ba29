// What the scheduled-task tab asks of the machine, held to the same answers
// on the simulated machine and on the real one: a file read whole or not at
// all, the system's XML reader (the nodes of a task document, and the
// documents it refuses), and a task deleted through the Task Scheduler.
#include <gtest/gtest.h>

#include "contract/env.h"
#include "contract/env_files.h"
#include "core/model/native_path.h"

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

}  // namespace
}  // namespace qm
