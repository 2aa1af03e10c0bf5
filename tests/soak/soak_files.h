#pragma once
// The files the window soak opens and the places it saves to: meshes of every
// format the readers take (the examples, small files written here, the format
// corpus and the fuzz seeds), broken ones (cut short, noise, empty, missing,
// a folder), time-dependent ones, pictures for "Load image...", and folders
// that refuse a save.
#include <QString>
#include <string>
#include <vector>

namespace soak {

enum class TOutcome { kLoads, kRefused, kEither };

struct TSoakFile {
  QString path;
  TOutcome outcome = TOutcome::kEither;
  bool time_steps = false;  // loads with at least two time steps
};

struct TSoakFiles {
  std::vector<TSoakFile> meshes;    // every mesh file, good, broken and odd
  std::vector<TSoakFile> pictures;  // for "Load image...", good and broken
  QString out_dir;                  // saves that succeed land here
  QString missing_dir;              // a folder that does not exist
  QString read_only_dir;            // a folder that takes no new file
  std::string read_only_how;        // how read_only_dir refuses writes
  std::vector<QString> Where(TOutcome outcome) const;
};

// Writes the generated files into `work_dir` and lists them with those of the
// source tree. Folders: the program's examples, the format corpus, the fuzz
// targets' folder (seeds and regressions).
TSoakFiles MakeSoakFiles(const QString& work_dir, const QString& examples_dir, const QString& corpus_dir,
                         const QString& fuzz_dir);

// Undoes what MakeSoakFiles set up outside plain files (a read-only mount).
void ReleaseSoakFiles(TSoakFiles& files);

}  // namespace soak
