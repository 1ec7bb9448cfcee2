// vexa-cli: the console face of Vexa. Arguments arrive as UTF-8 (converted from
// the wide command line on Windows) and output is UTF-8; see docs/CLI.md.
#include <cstdio>
#include <string>
#include <vector>

#include "app/cli/CliCommands.h"

#ifdef _WIN32
#include <windows.h>

#include "support/Text.h"

int wmain(int argc, wchar_t** argv) {
  SetConsoleOutputCP(CP_UTF8);
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i)
    args.push_back(vexa::Utf16ToUtf8(reinterpret_cast<const char16_t*>(argv[i])));
  return vexa::RunCli(args, stdout, stderr);
}
#else
int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  return vexa::RunCli(args, stdout, stderr);
}
#endif
