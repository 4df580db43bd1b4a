#pragma once
// The one fixed set of line parameters applied at every open, the same for every port. Each
// backend applies what its operating system can express; the rest (the XON/XOFF values, the queue
// sizes on POSIX) are kept here all the same so the table stays whole.

#include <chrono>
#include <cstddef>
#include <cstdint>

enum class Parity { None, Odd, Even, Mark, Space };
enum class StopBits { One, OneAndHalf, Two };

struct SerialLineSettings {
  std::uint32_t baudRate;
  std::uint8_t dataBits;
  Parity parity;
  bool parityCheck;
  StopBits stopBits;
  bool rawBytes;                  // every byte passes unchanged; no end-of-file character acted on
  bool dtrAsserted;               // held for as long as the port is open
  bool rtsAsserted;
  bool ctsOutputFlow;             // output waits for CTS
  bool dsrOutputFlow;             // output waits for DSR
  bool dsrSensitivity;
  bool xonXoffOutput;             // XON/XOFF obeyed on output
  bool xonXoffInput;              // XON/XOFF sent on input
  std::uint8_t xonChar;
  std::uint8_t xoffChar;
  std::uint16_t xonLimit;         // bytes
  std::uint16_t xoffLimit;        // bytes
  bool continueSendingAfterXoff;
  bool discardNullBytes;
  bool errorReplacement;
  std::uint8_t eventChar;         // 0: not watched
  bool abortOnLineError;
  std::size_t receiveQueueSize;   // requested of the driver
  std::size_t sendQueueSize;
  // Read time limits: the all-ones interval with zero total means "return at once with what is
  // there, even nothing".
  std::uint32_t readIntervalLimit;
  std::uint32_t readTotalMultiplier;
  std::uint32_t readTotalConstant;
  std::chrono::milliseconds writeTotalConstant;
  std::chrono::milliseconds writeTotalPerByte;
  bool watchReceivedCharacters;   // the only watched line condition

  // How long one write of `bytes` bytes may take before it counts as run out.
  constexpr std::chrono::milliseconds writeTimeLimit(std::size_t bytes) const {
    return writeTotalConstant + writeTotalPerByte * static_cast<std::int64_t>(bytes);
  }
  constexpr bool readReturnsAtOnce() const {
    return readIntervalLimit == 0xFFFFFFFFu && readTotalMultiplier == 0 && readTotalConstant == 0;
  }
};

inline constexpr SerialLineSettings LineSettings{
    .baudRate = 38462,  // not 38400: the device's own clock gives this rate
    .dataBits = 8,
    .parity = Parity::None,
    .parityCheck = false,
    .stopBits = StopBits::One,
    .rawBytes = true,
    .dtrAsserted = false,
    .rtsAsserted = false,
    .ctsOutputFlow = false,
    .dsrOutputFlow = false,
    .dsrSensitivity = false,
    .xonXoffOutput = false,
    .xonXoffInput = false,
    .xonChar = 17,
    .xoffChar = 19,
    .xonLimit = 1024,
    .xoffLimit = 1024,
    .continueSendingAfterXoff = false,
    .discardNullBytes = false,
    .errorReplacement = false,
    .eventChar = 0,
    .abortOnLineError = true,
    .receiveQueueSize = 4096,
    .sendQueueSize = 4096,
    .readIntervalLimit = 0xFFFFFFFFu,
    .readTotalMultiplier = 0,
    .readTotalConstant = 0,
    .writeTotalConstant = std::chrono::milliseconds(1000),
    .writeTotalPerByte = std::chrono::milliseconds(100),
    .watchReceivedCharacters = true,
};
