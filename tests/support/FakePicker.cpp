#include "support/FakePicker.h"

namespace ombrix::test {

void FakePicker::Record(const std::string& call) {
    calls.push_back(call);
    if (log) log->push_back(call);
}

std::string FakePicker::FileSource(std::int32_t& index) {
    Record("FileSource(" + std::to_string(index) + ")");
    if (onFileSource) onFileSource(index);
    return index >= 0 && static_cast<std::size_t>(index) < paths.size() ? paths[index] : std::string();
}

std::string FakePicker::FileDestination() {
    Record("FileDestination");
    return destination;
}

std::int32_t FakePicker::TotalFiles() {
    Record("TotalFiles");
    return static_cast<std::int32_t>(paths.size());
}

}  // namespace ombrix::test
