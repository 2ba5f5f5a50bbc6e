#pragma once
// The commands of stowr-cli; each returns the process exit status.
#include "cli/common.h"

int RunList(const Args& args);
int RunAdd(const Args& args);
int RunSet(const Args& args);
int RunRemove(const Args& args);
int RunStrip(const Args& args);
int RunExtract(const Args& args);
int RunExtractAll(const Args& args);
int RunCat(const Args& args);
int RunVerify(const Args& args);
