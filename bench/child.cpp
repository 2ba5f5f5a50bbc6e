#include "bench/child.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

bool RunQuietly(const std::vector<std::string>& words, const std::string& folder) {
  pid_t pid = fork();
  if (pid < 0) return false;
  if (pid == 0) {
    std::vector<char*> argv;
    for (const std::string& word : words) argv.push_back(const_cast<char*>(word.c_str()));
    argv.push_back(nullptr);
    int null = open("/dev/null", O_WRONLY);
    if (null < 0 || dup2(null, STDOUT_FILENO) < 0 || (!folder.empty() && chdir(folder.c_str()) != 0)) _exit(127);
    execv(argv[0], argv.data());
    _exit(127);
  }
  int status = 0;
  return waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}
