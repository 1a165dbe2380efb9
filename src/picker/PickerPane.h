// The file picker as the job sees it. The window hosts a real control that
// implements this; tests and the command line use their own.
#pragma once

#include <cstdint>
#include <string>

namespace ombrix {

class C_PickerPane {
public:
    virtual ~C_PickerPane() = default;

    // Full path of the picked file at the zero-based index. The index is the
    // batch's own loop counter, passed by reference; a picker leaves it alone.
    virtual std::string FileSource(std::int32_t& index) = 0;
    // The chosen destination directory; the caller cuts one trailing "/".
    virtual std::string FileDestination() = 0;
    // Number of picked files. Not cut to 16 bits: every pick is run.
    virtual std::int32_t TotalFiles() = 0;

    // Set the picker up for decrypting / encrypting; it keeps the mode last named.
    virtual void DecryptTypes() = 0;
    virtual void EncryptTypes() = 0;
    // Turn the destination choice off / on.
    virtual void DisableDestination() = 0;
    virtual void EnableDestination() = 0;
    // Called once per batch, after the summary box was closed.
    virtual void ProcessOver() = 0;
};

// A picker that picks nothing and ignores every mode call: for windows and
// tools that have no real picker to offer.
class NoPicker : public C_PickerPane {
public:
    std::string FileSource(std::int32_t&) override { return {}; }
    std::string FileDestination() override { return {}; }
    std::int32_t TotalFiles() override { return 0; }
    void DecryptTypes() override {}
    void EncryptTypes() override {}
    void DisableDestination() override {}
    void EnableDestination() override {}
    void ProcessOver() override {}
};

}  // namespace ombrix
