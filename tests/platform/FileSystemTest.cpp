#include "platform/FileSystem.h"
#include "platform/DirWalk.h"
#include "platform/FileTimes.h"
#include "platform/MoveFile.h"
#include "platform/Paths.h"
#include "support/Scratch.h"

#include <algorithm>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace testing_support;
using platform::EntryKind;

namespace {

std::vector<std::string> Names(const std::vector<platform::FolderEntry>& entries) {
  std::vector<std::string> names;
  for (const auto& e : entries)
    names.push_back(e.name);
  std::sort(names.begin(), names.end());
  return names;
}

// A folder on another file system than the scratch folder, or "".
std::string OtherFileSystemFolder(const std::string& near) {
  struct stat a {
  }, b{};
  if (::stat(near.c_str(), &a) != 0 || ::stat("/dev/shm", &b) != 0 || a.st_dev == b.st_dev)
    return {};
  char pattern[] = "/dev/shm/tarvelo-test-XXXXXX";
  return ::mkdtemp(pattern) ? std::string(pattern) : std::string();
}

} // namespace

TEST(ListFolder, FilterAppliesToFilesAndFoldersAndDotsAreLeftOut) {
  ScratchFolder scratch;
  WriteFile(scratch / "a.g3", "x");
  WriteFile(scratch / "B.G3", "x");
  WriteFile(scratch / "c.tif", "x");
  std::filesystem::create_directory(scratch / "in.g3");
  std::filesystem::create_directory(scratch / "other");

  auto all = platform::ListFolder(scratch.path(), "*.*");
  ASSERT_TRUE(all);
  EXPECT_EQ(Names(*all), (std::vector<std::string>{"B.G3", "a.g3", "c.tif", "in.g3", "other"}));

  auto g3 = platform::ListFolder(scratch.path(), "*.g3");
  ASSERT_TRUE(g3);
  EXPECT_EQ(Names(*g3), (std::vector<std::string>{"B.G3", "a.g3", "in.g3"}));
  for (const auto& e : *g3)
    EXPECT_EQ(e.kind == EntryKind::Folder, e.name == "in.g3");

  EXPECT_FALSE(platform::ListFolder(scratch / "missing", "*.*"));
}

TEST(ListFolder, TellsLinkedFoldersAndSpecialFilesApart) {
  ScratchFolder scratch;
  std::filesystem::create_directory(scratch / "real");
  WriteFile(scratch / "real/file", "x");
  std::filesystem::create_directory_symlink(scratch.path(), scratch / "real/loop");
  std::filesystem::create_symlink(scratch / "real/file", scratch / "real/filelink");
  ASSERT_EQ(::mkfifo((scratch / "real/pipe").c_str(), 0600), 0);

  auto entries = platform::ListFolder(scratch / "real", "*");
  ASSERT_TRUE(entries);
  for (const auto& e : *entries) {
    EntryKind expected = e.name == "loop"   ? EntryKind::LinkedFolder
                         : e.name == "pipe" ? EntryKind::Other
                                            : EntryKind::File;
    EXPECT_EQ(e.kind, expected) << e.name;
  }
  EXPECT_EQ(entries->size(), 4u);
  EXPECT_FALSE(platform::RegularFileSize(scratch / "real/pipe")) << "a FIFO has no file size";
  EXPECT_FALSE(platform::RegularFileSize(scratch / "real"));
  EXPECT_EQ(platform::RegularFileSize(scratch / "real/filelink"), 1u);
}

TEST(CreateFolderTree, CreatesMissingParentsAndAcceptsExistingFolders) {
  ScratchFolder scratch;
  EXPECT_TRUE(platform::CreateFolderTree(scratch / "a/b/c"));
  EXPECT_TRUE(platform::IsFolder(scratch / "a/b/c"));
  EXPECT_TRUE(platform::CreateFolderTree(scratch / "a/b/c"));
  EXPECT_FALSE(platform::CreateFolder(scratch / "x/y")) << "one level only";
  WriteFile(scratch / "file", "x");
  EXPECT_FALSE(platform::CreateFolderTree(scratch / "file/sub"));
}

TEST(MoveFileNoReplace, RenamesButNeverReplaces) {
  ScratchFolder scratch;
  WriteFile(scratch / "src", "new");
  WriteFile(scratch / "dst", "old");
  EXPECT_EQ(platform::MoveFileNoReplace(scratch / "src", scratch / "dst"),
            platform::MoveResult::TargetExists);
  EXPECT_EQ(ReadFile(scratch / "dst"), "old");
  EXPECT_EQ(ReadFile(scratch / "src"), "new");
  EXPECT_EQ(platform::MoveFileNoReplace(scratch / "src", scratch / "moved"),
            platform::MoveResult::Moved);
  EXPECT_EQ(ReadFile(scratch / "moved"), "new");
  EXPECT_FALSE(Exists(scratch / "src"));
  EXPECT_EQ(platform::MoveFileNoReplace(scratch / "gone", scratch / "x"),
            platform::MoveResult::Failed);
}

TEST(MoveFileNoReplace, CopiesAcrossFileSystemsKeepingTimesAndMode) {
  ScratchFolder scratch;
  std::string other = OtherFileSystemFolder(scratch.path());
  if (other.empty())
    GTEST_SKIP() << "no second file system (/dev/shm) to move to";
  std::string payload(300000, 'q');
  WriteFile(scratch / "fax.g3", payload);
  ::chmod((scratch / "fax.g3").c_str(), 0640);
  platform::FileTimes times{{1000000000, 5}, {1200000000, 7}};
  ASSERT_TRUE(platform::WriteFileTimes(scratch / "fax.g3", times));

  WriteFile(other + "/taken.g3", "keep me");
  EXPECT_EQ(platform::MoveFileNoReplace(scratch / "fax.g3", other + "/taken.g3"),
            platform::MoveResult::TargetExists);
  EXPECT_EQ(ReadFile(other + "/taken.g3"), "keep me");
  ASSERT_TRUE(Exists(scratch / "fax.g3"));

  EXPECT_EQ(platform::MoveFileNoReplace(scratch / "fax.g3", other + "/fax.g3"),
            platform::MoveResult::Moved);
  EXPECT_FALSE(Exists(scratch / "fax.g3"));
  // Times first: reading the file may update its access time.
  struct stat info {};
  ASSERT_EQ(::stat((other + "/fax.g3").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0640u);
  EXPECT_EQ(info.st_mtim.tv_sec, 1200000000);
  EXPECT_EQ(info.st_atim.tv_sec, 1000000000);
  EXPECT_EQ(ReadFile(other + "/fax.g3"), payload);
  std::filesystem::remove_all(other);
}

TEST(FileTimes, CopyFromOneFileToAnother) {
  ScratchFolder scratch;
  WriteFile(scratch / "a", "x");
  WriteFile(scratch / "b", "y");
  platform::FileTimes times{{1111111111, 0}, {1222222222, 0}};
  ASSERT_TRUE(platform::WriteFileTimes(scratch / "a", times));
  auto read = platform::ReadFileTimes(scratch / "a");
  ASSERT_TRUE(read);
  EXPECT_EQ(read->modification.tv_sec, 1222222222);
  EXPECT_EQ(read->access.tv_sec, 1111111111);
  EXPECT_FALSE(platform::ReadFileTimes(scratch / "missing"));
  EXPECT_FALSE(platform::WriteFileTimes(scratch / "missing", times));
}

TEST(AppendToFile, AppendsWholeTexts) {
  ScratchFolder scratch;
  EXPECT_TRUE(platform::AppendToFile(scratch / "log", "one\n"));
  EXPECT_TRUE(platform::AppendToFile(scratch / "log", "two\n"));
  EXPECT_EQ(ReadFile(scratch / "log"), "one\ntwo\n");
  EXPECT_FALSE(platform::AppendToFile(scratch / "no/such/log", "x"));
}

TEST(Paths, SplitsFolderAndNameAndHonoursTmpdir) {
  EXPECT_EQ(platform::FolderOf("/a/b/c.pdf"), "/a/b");
  EXPECT_EQ(platform::FileNameOf("/a/b/c.pdf"), "c.pdf");
  EXPECT_EQ(platform::FolderOf("c.pdf"), "");
  EXPECT_EQ(platform::FileNameOf("c.pdf"), "c.pdf");
  std::string folder = platform::TempFolder();
  EXPECT_EQ(folder.back(), '/');
  std::string work = platform::CreatePrivateWorkFolder();
  ASSERT_FALSE(work.empty());
  EXPECT_TRUE(platform::IsFolder(work));
  std::string second = platform::CreatePrivateWorkFolder();
  EXPECT_NE(work, second) << "each process gets a folder of its own";
  platform::RemoveTreeQuietly(work);
  platform::RemoveTreeQuietly(second);
  EXPECT_FALSE(platform::IsFolder(work));
}
