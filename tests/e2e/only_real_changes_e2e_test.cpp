// The real program mails only what really changed: names that the locale's order
// calls equal are no change, and a folder that goes out of reach and comes back
// is told as such, never as every entry deleted and then added.
#include <windows.h>

#include <algorithm>

#include "mail_e2e_fixture.h"

namespace e2e {
namespace {

TEST_F(ParvexMailE2E, OnlyRealChangesAreMailedWhileNamesCollideAndAFolderIsAway) {
  // Made on the Linux side: "Straße.txt" beside "Strasse.txt", "Report.txt" beside "report.txt".
  std::string colliding = test::ServerDir() + "\\colliding";
  std::replace(colliding.begin(), colliding.end(), '/', '\\');
  const std::string away = work + "\\away", parked = work + "\\parked", other = work + "\\other";
  CreateDirectoryA(away.c_str(), nullptr);
  CreateDirectoryA(other.c_str(), nullptr);
  for (int i = 0; i < 30; ++i) writeFile(away + "\\file" + std::to_string(i) + ".txt", "kept");
  putString("Start", "Dir2", away);
  putString("Start", "Dir3", other);
  watched = colliding;
  ASSERT_NE(startMailing(sink(), {"ops@example.com"}), nullptr);
  const int before = test::SinkMessageCount();
  using Lines = std::vector<std::string>;

  // Names taken for changed would show at every scan: four scans tell.
  EXPECT_FALSE(messageArrives(before + 1, 4 * 5000)) << "mailed without a change:\n" << test::SinkMessageAsReceived(before + 1);
  writeFile(colliding + "\\report.txt", "changed");
  ASSERT_TRUE(messageArrives(before + 1, kTickTimeout));
  EXPECT_EQ(summaryOfMessage(before + 1), Lines{"Changed " + colliding + "\\report.txt"});

  // As a share that drops looks: the first find fails.
  ASSERT_TRUE(MoveFileA(away.c_str(), parked.c_str()));
  ASSERT_TRUE(messageArrives(before + 2, kTickTimeout));
  const Lines gone = summaryOfMessage(before + 2);
  ASSERT_EQ(gone.size(), 1u) << test::SinkMessageAsReceived(before + 2);
  EXPECT_EQ(gone[0].rfind("Could not list the folder " + away + ": ", 0), 0u) << gone[0];

  writeFile(other + "\\while-away.txt", "new");
  ASSERT_TRUE(messageArrives(before + 3, kTickTimeout));
  EXPECT_EQ(summaryOfMessage(before + 3), Lines{"Added " + other + "\\while-away.txt"});

  ASSERT_TRUE(MoveFileA(parked.c_str(), away.c_str()));
  ASSERT_TRUE(messageArrives(before + 4, kTickTimeout));
  EXPECT_EQ(summaryOfMessage(before + 4), Lines{"The folder " + away + " can be listed again."});

  writeFile(away + "\\after.txt", "new");
  ASSERT_TRUE(messageArrives(before + 5, kTickTimeout));
  EXPECT_EQ(summaryOfMessage(before + 5), Lines{"Added " + away + "\\after.txt"});
  EXPECT_TRUE(noMessageWithin(before + 6));
  EXPECT_EQ(waitMessageBox(processes.back().pid(), 200).window, nullptr);
}

}  // namespace
}  // namespace e2e
