#pragma once
// A file of its own in the system's temporary folder: created exclusively under a unique name and
// removed with the object, whichever way the work that needed it ends.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace vortane {

class TTempFile {
public:
    TTempFile() = default;
    ~TTempFile();
    TTempFile(const TTempFile&) = delete;
    TTempFile& operator=(const TTempFile&) = delete;

    // Creates "<temporary folder>/<Prefix>XXXXXX" open for writing, removing an earlier file of this
    // object first. Returns 0 or an errno value.
    int Create(std::string_view Prefix);
    // The same in Folder (beside an output, say, so that the file lies on the output's disk).
    int CreateIn(const std::string& Folder, std::string_view Prefix);
    // Closes the descriptor; the file stays until Remove or the end of the object.
    void Close();
    void Remove();

    int Descriptor() const { return FFd; }
    const std::string& Name() const { return FName; }
    // Writes all of Bytes at Offset, retrying short writes. Returns 0 or an errno value.
    int WriteAt(const void* Bytes, std::size_t Count, std::uint64_t Offset) const;

private:
    int FFd = -1;
    std::string FName;
};

} // namespace vortane
