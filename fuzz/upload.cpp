// Uploads: input = Content-Type line, UPDIR line, body. The part's data lies
// inside the body, and a stored file holds it below the card root.
#include <filesystem>

#include "fuzz.h"
#include "tools/voxlet_card/card_store.h"
#include "tools/voxlet_card/multipart.h"

void FuzzOne(std::string_view body) {
    const std::string_view contentType = fuzz::Take(body), updir = fuzz::Take(body);
    std::string error;
    const auto part = card::ParseUpload(body, card::BoundaryOf(contentType), error);
    FUZZ_CHECK(part || !error.empty());
    if (!part)
        return;
    FUZZ_CHECK(part->data.data() >= body.data() &&
               part->data.data() + part->data.size() <= body.data() + body.size());

    card::CardStore store(fuzz::CardRoot());
    store.SetUploadFolder(updir, error);
    std::string cardPath, diskPath;
    if (store.Store(part->filename, part->data, cardPath, diskPath, error)) {
        fuzz::CheckInsideCardRoot(diskPath);
        FUZZ_CHECK(diskPath == fuzz::CardRoot() + "/" + cardPath);
        FUZZ_CHECK(fuzz::ReadFile(diskPath) == part->data);
    }
    fuzz::CheckInsideCardRoot("");
    for (const auto& entry : std::filesystem::directory_iterator(fuzz::CardRoot()))
        if (entry.path().filename() != "link")
            std::filesystem::remove_all(entry.path());
}
