#pragma once
// What the simulated device says about itself and how it misbehaves on purpose. Every
// misbehaviour is off by default; several may be combined. Pages are numbered from 0 in the order
// the device receives them.

#include <chrono>
#include <cstddef>
#include <optional>
#include <string>

inline constexpr const char* kMakerWord = "TARVENMOLIX";
inline constexpr std::size_t kPageSize = 256;
inline constexpr std::size_t kDefaultPageCount = 1016;
inline constexpr unsigned kLineBitsPerSecond = 38462;
inline constexpr unsigned kLineBitsPerByte = 10;  // start bit, 8 data bits, stop bit

struct DeviceSettings {
  // The identification reply is makerWord, a space, designation, a space, version.
  std::string makerWord = kMakerWord;  // anything else is the "wrong maker word" case
  std::string designation = "MIRT";
  std::string version = "3.1";
  // The page whose index is pageCount - 1 gets the final acknowledgement (checksum + "FZ").
  std::size_t pageCount = kDefaultPageCount;

  // Page k is acknowledged with a checksum that differs from the right one in both bytes.
  std::optional<std::size_t> wrongChecksumAtPage;
  // Page k and every page after it are received but never acknowledged.
  std::optional<std::size_t> silentFromPage;
  // Each acknowledgement goes out one byte per write, with this pause between the bytes.
  std::optional<std::chrono::milliseconds> ackByteGap;
  // The checksum's low byte goes first (page and final acknowledgements alike).
  bool lowByteFirst = false;
  // Page k gets the final acknowledgement, ending the transfer early.
  std::optional<std::size_t> finalAckAfterPage;
  // The last page gets the bare checksum, like any other page.
  bool noFinalAck = false;
  // When not empty: written this long after the identification reply, as a write of its own.
  std::string garbageAfterIdentification;
  std::chrono::milliseconds garbageDelay{50};
  // The identification reply goes out in two writes: its first identificationSplitAt bytes, this
  // pause, then the rest.
  std::optional<std::chrono::milliseconds> identificationChunkGap;
  std::size_t identificationSplitAt = 6;
  // "VERS" is recognised and counted but never answered.
  bool noAnswerToVers = false;
  // Both directions take 10 bit times per byte at 38462 bit/s: received bytes are taken no faster
  // than the line could carry them, and each reply is written once its last byte would have
  // crossed the line (whole, so that pacing alone never splits an acknowledgement).
  bool paceAtLineRate = false;
  // An extra pause before each acknowledgement.
  std::chrono::milliseconds ackDelay{0};
  // Once page k has been received the device closes the line instead of acknowledging it.
  std::optional<std::size_t> hangUpAtPage;
};
