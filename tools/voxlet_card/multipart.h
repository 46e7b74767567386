// The multipart/form-data bodies a FlashAir card accepts: Voxlet's own form
// (the part's header line, then the boundary line once more, then an empty
// line, then the data) and a standard body (header lines, an empty line, the
// data). The first part that carries a filename is the upload.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace card {

struct UploadPart {
    std::string filename;  // as the part gives it, folders included
    std::string_view data; // a view into the body
};

// The boundary parameter of a Content-Type value ("" when there is none).
std::string BoundaryOf(std::string_view contentType);

// The first part with a filename; nullopt (and a reason) when there is none
// or the body is not a multipart body for the boundary.
std::optional<UploadPart> ParseUpload(std::string_view body, std::string_view boundary,
                                      std::string& error);

} // namespace card
