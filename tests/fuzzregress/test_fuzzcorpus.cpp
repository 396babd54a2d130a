// Every input kept under fuzz/corpus/<target> (the seeds, and any input that
// once failed) goes through that fuzz target's own checks in the ordinary
// test build. A failed check aborts with its reason, right after the name
// of the input printed here.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);
// Only some targets have one.
extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) __attribute__((weak));

namespace {

namespace fs = std::filesystem;

TEST(FuzzCorpus, EveryKeptInputPassesTheTargetsChecks) {
  if (LLVMFuzzerInitialize != nullptr) {
    int argc = 0;
    char** argv = nullptr;
    LLVMFuzzerInitialize(&argc, &argv);
  }
  std::vector<fs::path> inputs;
  for (const auto& entry : fs::directory_iterator(QUIBRANO_FUZZ_CORPUS))
    if (entry.is_regular_file()) inputs.push_back(entry.path());
  std::sort(inputs.begin(), inputs.end());
  ASSERT_FALSE(inputs.empty()) << "no inputs in " << QUIBRANO_FUZZ_CORPUS;

  for (const fs::path& input : inputs) {
    std::fprintf(stderr, "input %s\n", input.c_str());
    std::ifstream in(input, std::ios::binary);
    const std::string bytes(std::istreambuf_iterator<char>(in), {});
    LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
  }
}

}  // namespace
