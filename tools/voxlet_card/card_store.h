// The card's storage: a root folder on the PC and the current upload folder
// below it. Nothing is ever written outside the root: folder and file names
// that climb out with "..", and folders that lead outside through a symbolic
// link, are refused.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace card {

class CardStore {
public:
    // root: an existing folder.
    explicit CardStore(std::string root);

    // UPDIR: sets the upload folder ("/ADDON", "/", "/A/B"; either separator).
    // The folder is created when its parent exists. False (and the folder
    // unchanged) when the value climbs out of the root or is not a name.
    bool SetUploadFolder(std::string_view updir, std::string& error);

    // Stores a file under the part's filename (the text after its last '\' or
    // '/') in the upload folder. On success cardPath is the stored file's path
    // below the root ("ADDON/REMOTE.LOG") and diskPath its path on the PC.
    bool Store(std::string_view filename, std::string_view data, std::string& cardPath,
               std::string& diskPath, std::string& error);

    // The upload folder as the card names it ("/ADDON").
    std::string UploadFolder() const;

private:
    std::string DiskFolder() const;
    bool InsideRoot(const std::string& diskPath) const;

    std::string m_root;     // as given, without a trailing '/'
    std::string m_realRoot; // its real path
    std::vector<std::string> m_folder;
};

} // namespace card
