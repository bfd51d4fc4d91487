// Prints the artist of an MP3 file, read through the installed tag library.
#include <tags/MyMP3Tags.h>

#include <cstdio>

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: show_artist FILE.mp3\n");
    return 2;
  }
  CMyMP3Tags tags;
  tags.Link(argv[1]);
  std::printf("%s\n", tags.GetArtist().GetString());
  return 0;
}
