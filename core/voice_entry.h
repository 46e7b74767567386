// One row of a voice catalogue.
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>

struct VoiceEntry {
    // The texts are views of the entry's own storage, one block that SetTexts
    // fills; copies get their own.
    std::string_view pszText;  // list text (UTF-8); never empty in a loaded table
    std::string_view pszExtra; // second text; finding a clip reads it
    std::string_view pszFile;  // clip file below the voice folder (UTF-8, '\' or '/')
    std::string_view rawFile;  // the clip file's bytes as the catalogue holds them (CP932)
    std::int16_t nSoundId = 0;
    std::int16_t nSeconds = 0;
    std::uint8_t byCategory = 0;
    std::uint16_t wFlags = 0; // low 12 bits

    VoiceEntry() = default;
    VoiceEntry(const VoiceEntry& other);
    VoiceEntry& operator=(const VoiceEntry& other);
    VoiceEntry(VoiceEntry&&) noexcept = default;
    VoiceEntry& operator=(VoiceEntry&&) noexcept = default;
    ~VoiceEntry() = default;

    // Stores the four texts; a raw file name with the same bytes as the UTF-8
    // one (plain ASCII) is stored once.
    void SetTexts(std::string_view text, std::string_view extra, std::string_view file,
                  std::string_view raw);

private:
    std::unique_ptr<char[]> m_texts;
};

// Flag that keeps a row out of list play and random play.
constexpr std::uint16_t VOICE_FLAG_NO_SEQUENCE = 0x800;
// Flag of the first flag category (index 10, radio 1011); each next index up
// to 20 tests the next lower bit. The hidden catalogue's index 21 tests it too.
constexpr std::uint16_t VOICE_FLAG_FIRST_CATEGORY = 0x400;
// The hidden catalogue lists at index 10 the rows that have all of these.
constexpr std::uint16_t VOICE_FLAGS_HIDDEN_PHOTO_MAIL = 0x0FF;

// The highest category number a standard radio lists; "all" lists 0 to it.
constexpr std::uint8_t LAST_CATEGORY_NUMBER = 10;
