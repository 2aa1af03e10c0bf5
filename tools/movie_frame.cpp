// Looks into a movie file written by Flowskin: prints its container, codec,
// size, rate and frame count, and writes chosen frames as PNG pictures.
//   movie_frame MOVIE [FRAME OUT.png]...   (FRAME counted from 1)
#include <QImage>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "support/movie_decoder_av.h"

int main(int argc, char** argv) {
  if (argc == 2 && (std::string(argv[1]) == "-h" || std::string(argv[1]) == "--help")) {
    std::printf("usage: movie_frame MOVIE [FRAME OUT.png]...\n");
    return 0;
  }
  if (argc < 2 || argc % 2 != 0 || std::string(argv[1]).starts_with("-")) {
    std::fprintf(stderr, "usage: movie_frame MOVIE [FRAME OUT.png]...\n");
    return 2;
  }
  TDecodedMovie movie;
  std::string error;
  if (!DecodeMovie(argv[1], movie, error)) {
    std::fprintf(stderr, "movie_frame: %s\n", error.c_str());
    return 1;
  }
  std::printf("%s: %s, %s %s, %d x %d, %.3f frames/s, %zu frames\n", argv[1], movie.container.c_str(),
              movie.codec.c_str(), movie.pixel_format.c_str(), movie.width, movie.height, movie.fps,
              movie.frames.size());
  for (int i = 2; i + 1 < argc; i += 2) {
    const long n = std::strtol(argv[i], nullptr, 10);
    if (n < 1 || size_t(n) > movie.frames.size() || !movie.frames[size_t(n - 1)].save(argv[i + 1])) {
      std::fprintf(stderr, "movie_frame: cannot write frame %s to %s\n", argv[i], argv[i + 1]);
      return 1;
    }
  }
  return 0;
}
