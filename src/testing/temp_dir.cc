#include "testing/temp_dir.h"

#include <stdlib.h>

#include <filesystem>
#include <stdexcept>

namespace korven {

std::string ReadAll(FILE* stream) {
  fflush(stream);
  rewind(stream);
  std::string text;
  char chunk[4096];
  size_t got;
  while ((got = fread(chunk, 1, sizeof chunk, stream)) > 0) text.append(chunk, got);
  return text;
}

std::string ReadFileText(const std::string& path) {
  FILE* file = fopen(path.c_str(), "rb");
  if (file == nullptr) return "";
  std::string text = ReadAll(file);
  fclose(file);
  return text;
}

void WriteFileText(const std::string& path, const std::string& text) {
  FILE* file = fopen(path.c_str(), "wb");
  if (file == nullptr) throw std::runtime_error("can't write " + path);
  fwrite(text.data(), 1, text.size(), file);
  fclose(file);
}

TempDir::TempDir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "korven-test-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("can't make " + pattern);
  path_ = pattern + '/';
}

TempDir::~TempDir() {
  std::error_code ignored;
  if (!left_.empty()) std::filesystem::current_path(left_, ignored);
  std::filesystem::remove_all(path_, ignored);
}

void TempDir::Enter() {
  if (left_.empty()) left_ = std::filesystem::current_path().string();
  std::filesystem::current_path(path_);
}

std::string TempDir::Write(const std::string& name, const std::string& text) const {
  WriteFileText(path_ + name, text);
  return path_ + name;
}

std::string TempDir::Read(const std::string& name) const { return ReadFileText(path_ + name); }

}  // namespace korven
