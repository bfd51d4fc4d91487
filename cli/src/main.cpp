// quillory-cli: Quillory's folder session from the command line.
#include "Cli.h"

#include <cstdio>
#include <cstring>

void PrintUsage(bool toError) {
  std::fputs(
      "quillory-cli [-r] [-n] [-q] COMMAND ARGS...\n"
      "  -r  folders include their subfolders     -n  dry run: what would change or be refused, nothing written\n"
      "  -q  print only errors\n"
      "list   [--csv|--json] PATH...                  one row per file: key and every field\n"
      "get    FIELD PATH...                           FILE<TAB>VALUE per file\n"
      "set    FIELD=VALUE... [--] PATH...             set those fields (VALUE may be empty: clears it)\n"
      "export --csv OUT|- [--json] PATH...            every file's key, fields and facts\n"
      "import --csv IN|- [PATH]                       each row's fields into the file its key names\n"
      "from-names PATTERN PATH...                     tags from file names (as \"Tags from file names...\")\n"
      "to-names   PATTERN PATH...                     file names from tags (as \"File names from tags...\")\n"
      "format FIELD (--case title|lower|upper|first | --replace OLD NEW [--regex]) PATH...\n"
      "cover  (--set PICTURE | --extract DIR | --remove) PATH...\n"
      "number [--start N] [--total] [--disc] PATH...  track numbers per folder, in natural file order\n"
      "playlist OUT.m3u8 PATH...                      an extended M3U8 of the files, paths relative to OUT\n"
      "undo-last-save [FOLDER]                        the last save, by the window or the command line\n"
      "\n"
      "FIELD is one of artist album title track year origartist comment composer encodedby\n"
      "copyright url band publisher conductor genre disc lyrics. PATH is a file or a folder. A file's key is its\n"
      "path below the folder the command works on, without \".mp3\" (other formats keep their\n"
      "extension: \"CD1/a.flac\"); several PATHs work on the folder\n"
      "they have in common, and undo-last-save takes that folder (the working folder by default).\n"
      "export also writes --bom (a byte-order mark) on request. Exit status: 0 done, 1 some files\n"
      "refused (named on standard error), 2 bad usage or input, nothing written.\n",
      toError ? stderr : stdout);
}

int main(int argc, char** argv) {
  COptions options;
  int at = 1;
  for (; at < argc && argv[at][0] == '-' && argv[at][1] != '\0'; ++at) {
    const char* arg = argv[at];
    if (std::strcmp(arg, "--help") == 0 || std::strcmp(arg, "-h") == 0) {
      PrintUsage(false);
      return kDone;
    }
    if (arg[1] == '-') {
      std::fprintf(stderr, "quillory-cli: unknown option %s (--help lists them).\n", arg);
      return kBadUsage;
    }
    for (const char* flag = arg + 1; *flag; ++flag) {
      if (*flag == 'r') {
        options.bSubfolders = true;
      } else if (*flag == 'n') {
        options.bDryRun = true;
      } else if (*flag == 'q') {
        options.bQuiet = true;
      } else {
        std::fprintf(stderr, "quillory-cli: unknown option -%c (--help lists them).\n", *flag);
        return kBadUsage;
      }
    }
  }
  if (at == argc) {
    PrintUsage(true);
    return kBadUsage;
  }
  options.strCommand = argv[at++];
  if (options.strCommand == "help") {
    PrintUsage(false);
    return kDone;
  }
  options.args.assign(argv + at, argv + argc);
  return RunCommand(options);
}
