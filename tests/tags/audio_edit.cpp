// Edits one field of a FLAC, Ogg or MP4 file and keeps the save's record,
// or puts a record back; for checking a file by hand against other readers:
//   tags_audio_edit FILE FIELD VALUE RECORD   (FIELD: 0 Artist ... 14 Genre)
//   tags_audio_edit --undo FILE RECORD
//   tags_audio_edit --read FILE...            (reads each, prints how long that took)
#include <tags/AudioTagFile.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>

int main(int argc, char** argv) {
  if (argc >= 2 && std::strcmp(argv[1], "--read") == 0) {
    const auto start = std::chrono::steady_clock::now();
    int refused = 0;
    for (int i = 2; i < argc; ++i) {
      CString reason;
      CStreamFacts facts;
      auto file = CAudioTagFile::Read(argv[i], &reason);
      refused += !reason.IsEmpty() || !file->GetStreamFacts(&facts) || file->Get(TagField::Title).IsEmpty();
    }
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    std::printf("%d files read in %.3f s (%d refused)\n", argc - 2, took.count(), refused);
    return 0;
  }
  if (argc == 4 && std::strcmp(argv[1], "--undo") == 0) {
    std::ifstream in(argv[3], std::ios::binary);
    const std::vector<unsigned char> record((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    CString reason;
    const CRestoreResult result = RestoreAudioSave(argv[2], record, &reason);
    std::printf("%s %s\n", result == CRestoreResult::Restored ? "restored" : "not restored", reason.GetString());
    return result == CRestoreResult::Restored ? 0 : 1;
  }
  if (argc != 5) {
    std::fprintf(stderr, "usage: %s FILE FIELD VALUE RECORD | --undo FILE RECORD\n", argv[0]);
    return 2;
  }
  CString reason;
  auto file = CAudioTagFile::Read(argv[1], &reason);
  if (!reason.IsEmpty() || !(reason = file->Set(static_cast<TagField>(std::atoi(argv[2])), argv[3])).IsEmpty()) {
    std::printf("refused: %s\n", reason.GetString());
    return 1;
  }
  const std::vector<unsigned char> record = file->SaveRecord(&reason);
  std::ofstream(argv[4], std::ios::binary).write(reinterpret_cast<const char*>(record.data()),
                                                 static_cast<std::streamsize>(record.size()));
  if (!file->Save(&reason)) {
    std::printf("not saved: %s\n", reason.GetString());
    return 1;
  }
  std::printf("saved (record %zu bytes)\n", record.size());
  return 0;
}
