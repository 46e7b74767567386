// The robot stand-in (voxlet-card --robot): what the robot's remote-connection
// program would do with the command records that reach its card.
//
// It watches ADDON/REMOTE.LOG below the card root. A record arrives either as
// an upload through the card's own FlashAir side (told through OnStored, one
// record per upload, however fast they come) or written directly into the
// folder on the drive route (seen by OnPoll, which compares the file's
// modification time, size and content at every poll; records written faster
// than the poll interval replace each other, as they would on the robot). When
// REMOTE.LOG is a named pipe (mkfifo), every record written into it is read in
// order instead, however fast they come.
//
// Every new record is decoded and printed as one line on standard output,
// flushed at once:
//
//   robot: marker=-1 code=123 length=6 interval=25 volume=2 target-time=0 label="LABEL"
//
// The label is the list text of the catalogue row with that sound id (left out
// when no catalogue has it); code 904 ends "run TEMP.TM4 (N clip blocks)", N
// the number of SOUND ID blocks in ADDON/TEMP.TM4, and code 999 ends
// "play TEMP.wav". A REMOTE.LOG that holds other than 16 bytes is reported as
// "robot: ignored REMOTE.LOG of N bytes" (an empty one says nothing). With
// sound on, the clip of the record (or ADDON/TEMP.wav) also plays on the PC.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <sys/types.h>
#include <vector>

#include "card_server.h"

class AudioBackend;

namespace card {

struct RobotOptions {
    // Catalogues (CP932 CSV, as the program reads them) for the labels. A
    // catalogue named Ninshiki.csv holds recognition words: records with the
    // marker -2 look there first, the others in the rest first.
    std::vector<std::string> catalogues;
    // The voice folder for sounding clips; "" = "voice" beside the first
    // catalogue. Recognition words are looked for in its Ninshiki, then NF.
    std::string voiceFolder;
};

struct CatalogueRow {
    std::string label; // UTF-8
    std::string file;  // as the catalogue holds it (backslashes)
};

// The rows of a catalogue file by sound id (the first row of an id wins).
bool ReadCatalogue(const std::string& path, std::map<int, CatalogueRow>& rows, std::string& error);

// One record as the stand-in prints it (without the line end). tm4 is the
// content of ADDON/TEMP.TM4 (for code 904; nullptr when it is missing).
std::string DescribeRecord(const std::array<std::uint8_t, 16>& record, const CatalogueRow* row,
                           const std::string* tm4);

class Robot final : public CardObserver {
public:
    // root: the card's folder. audio: plays the clips (nullptr: silent).
    Robot(std::string root, RobotOptions options, AudioBackend* audio);
    ~Robot() override;

    // Loads the catalogues and takes the present REMOTE.LOG as already done.
    bool Start(std::string& error);
    // The file watched (below the root).
    std::string WatchedPath() const;
    std::size_t LabelCount() const { return m_recognition.size() + m_voices.size(); }

    void OnStored(const std::string& cardPath, const std::string& diskPath) override;
    void OnPoll() override;

private:
    struct Seen {
        bool exists = false;
        dev_t device = 0;
        ino_t inode = 0;
        long long mtimeNs = 0;
        long long ctimeNs = 0;
        long long size = -1;
        std::string content;
        bool operator==(const Seen&) const = default;
    };

    Seen Look(const std::string& path) const;
    void Take(const std::string& content);
    void Carry(const std::array<std::uint8_t, 16>& record);
    void ClosePipe();
    const CatalogueRow* Find(int id, bool recognition) const;
    void Sound(const std::array<std::uint8_t, 16>& record, const CatalogueRow* row,
               bool recognition);

    std::string m_root;
    RobotOptions m_options;
    AudioBackend* m_audio;
    std::map<int, CatalogueRow> m_recognition;
    std::map<int, CatalogueRow> m_voices;
    Seen m_seen;
    int m_pipeFd = -1;
    dev_t m_pipeDevice = 0;
    ino_t m_pipeInode = 0;
    std::string m_pipeBuffer;
};

} // namespace card
