// The links that reach a printer directly: a serial port, a port opened as a
// device file, USB, or a raw TCP connection. Each kind has its own way of
// opening, its own status exchange and its own framing of the job's elements.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "clock.h"
#include "link_sink.h"
#include "ports.h"

namespace zelmar::links {

enum class LinkKind { kSerial, kDeviceFile, kUsb, kTcp };

// The link of a port name, by its first three characters compared exactly:
// "USB" the USB link, "COM" the serial link, anything else a device file.
LinkKind ChooseLink(const std::string& port);

constexpr std::size_t kStatusReplyCapacity = 50;
constexpr std::uint32_t kSerialReplyMs = 100;  // the serial read time-out
constexpr std::uint32_t kTcpReplyMs = 3000;    // bounds a printer that never answers

class DirectLink {
  public:
    // `legacy`: the Windows 9x family (blocking port I/O, the reply judged);
    // the USB link always runs without it.
    DirectLink(LinkKind kind, std::unique_ptr<Transport> transport, Clock& clock, bool legacy);
    DirectLink(const DirectLink&) = delete;
    DirectLink& operator=(const DirectLink&) = delete;
    // Closes the link on every path out of a job.
    ~DirectLink();

    LinkKind Kind() const { return kind_; }
    // Opens the link, and applies the serial line settings (kSettings when
    // they are refused; the link is closed either way when it goes).
    LinkResult Open();
    // The status query and the reply, by the rules of the link's kind and
    // whether the printer's model answers the query (the serial link reads
    // the reply of every model): kStatus when the printer is not ready.
    LinkResult ExchangeStatus(bool modelAnswers);
    // Sends one whole command or sequence.
    LinkResult Send(const Bytes& command);
    // Ends a job that went out whole: done once the printer has taken every
    // byte, so that the close that follows loses none.
    LinkResult Finish() { return transport_->Finish(); }

    // How the elements of a form travel on this link.
    const Framing& FormFraming() const { return framing_; }
    Transport& Port() { return *transport_; }
    Clock& Time() { return clock_; }
    // The pause before the first image of a model-0 upload: none on USB.
    std::uint32_t WaitBeforeImages() const { return kind_ == LinkKind::kUsb ? 0 : 100; }
    // USB printers take only the model-0 form.
    bool TakesBandForm() const { return kind_ != LinkKind::kUsb; }
    // Only the serial link complements the band data of a white-first picture.
    bool ComplementsWhiteFirstBands() const { return kind_ == LinkKind::kSerial; }

  private:
    bool ReplyReady(std::uint32_t timeoutMs);

    LinkKind kind_;
    std::unique_ptr<Transport> transport_;
    Clock& clock_;
    bool legacy_;
    Framing framing_;
};

// The framing of each kind of link.
Framing FramingOf(LinkKind kind, bool legacy);

}  // namespace zelmar::links
