#include <gtest/gtest.h>

#include "app/command_line.h"

namespace {

struct Case {
  const char* commandLine;
  const char* arguments;
  const char* exePath;
};

TEST(CommandLine, ArgumentTextAndExePath) {
  const Case cases[] = {
      {"stowr.exe", "", ""},
      {"stowr.exe C:\\Tools\\app.exe", "C:\\Tools\\app.exe", "C:\\Tools\\app.exe"},
      {"\"C:\\Program Files\\stowr.exe\" \"C:\\My Tools\\app.exe\"", "\"C:\\My Tools\\app.exe\"",
       "C:\\My Tools\\app.exe"},
      {"stowr   C:\\A.EXE", "C:\\A.EXE", "C:\\A.EXE"},                       // case kept
      {"stowr C:\\notes.exe.txt", "C:\\notes.exe.txt", "C:\\notes.exe.txt"},  // .exe not at the end
      {"stowr C:\\tool.com", "C:\\tool.com", ""},
      {"stowr a.exe b.exe", "a.exe b.exe", "a.exe b.exe"},  // one path, never split
      {"stowr a.exe  ", "a.exe  ", "a.exe  "},               // trailing spaces stay
      {"stowr \"\"a.exe\"\"", "\"\"a.exe\"\"", "a.exe"},     // every outer quote goes
      {"stowr\ta.exe", "\ta.exe", "\ta.exe"},                 // a tab ends the name but is no space
      {"\"stowr.exe a.exe", "", ""},                          // unclosed quote: the name runs to the end
      {"\"stowr\"a.exe", "a.exe", "a.exe"},
      {"", "", ""},
      {"stowr \xE9t\xE9.exe", "\xE9t\xE9.exe", "\xE9t\xE9.exe"},  // bytes above 127 end no name
      {"st\xE9wr x.exe", "x.exe", "x.exe"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.commandLine);
    EXPECT_EQ(ArgumentText(c.commandLine), c.arguments);
    EXPECT_EQ(ExePathFromCommandLine(c.commandLine), c.exePath);
  }
}

}  // namespace
