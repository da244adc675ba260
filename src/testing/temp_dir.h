// Files for unit tests: a fresh directory of their own, removed with all it
// holds when the test ends, and whole-file and whole-stream reading.
#ifndef KORVEN_TESTING_TEMP_DIR_H_
#define KORVEN_TESTING_TEMP_DIR_H_

#include <cstdio>
#include <string>

namespace korven {

// Everything `stream` holds, from its start.
std::string ReadAll(FILE* stream);
// The bytes of a file, empty when it can't be read.
std::string ReadFileText(const std::string& path);
// Creates or replaces a file with `text`.
void WriteFileText(const std::string& path, const std::string& text);

class TempDir {
 public:
  TempDir();
  // Goes back to the directory it left, if it entered itself, then removes itself.
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  // Makes it the current directory, so that whatever a test writes under a
  // relative name lands in it.
  void Enter();

  // The directory, ending in '/'.
  const std::string& Path() const { return path_; }
  // Writes a file in it; its full path.
  std::string Write(const std::string& name, const std::string& text) const;
  std::string Read(const std::string& name) const;

 private:
  std::string path_;
  std::string left_;  // the current directory before Enter; empty when not entered
};

}  // namespace korven

#endif  // KORVEN_TESTING_TEMP_DIR_H_
