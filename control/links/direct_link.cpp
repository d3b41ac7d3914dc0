#include "direct_link.h"

#include "engine/command_stream.h"

namespace zelmar::links {

namespace {

bool Ready(std::uint8_t firstByte) {
    return firstByte == 0x0D || firstByte == 0x20;
}

}  // namespace

LinkKind ChooseLink(const std::string& port) {
    const std::string head = port.substr(0, 3);
    if (head == "USB") return LinkKind::kUsb;
    if (head == "COM") return LinkKind::kSerial;
    return LinkKind::kDeviceFile;
}

Framing FramingOf(LinkKind kind, bool legacy) {
    Framing f;
    f.nvData = {Discipline::kBytePerWrite, 0};
    switch (kind) {
        case LinkKind::kSerial:
            f.bandPreamble = {Discipline::kWhole, 100};
            break;
        case LinkKind::kDeviceFile:
            f.bandPreamble = {Discipline::kWhole, 50};
            f.bandRecord = {legacy ? Discipline::kWhole : Discipline::kPaced, 0};
            break;
        case LinkKind::kUsb:
            f.imageHeader = {Discipline::kWhole, 50};
            f.nvData = {Discipline::kPieces, 0};
            break;
        case LinkKind::kTcp:
            f.bandPreamble = {Discipline::kWhole, 50};
            break;
    }
    return f;
}

DirectLink::DirectLink(LinkKind kind, std::unique_ptr<Transport> transport, Clock& clock,
                       bool legacy)
    : kind_(kind),
      transport_(std::move(transport)),
      clock_(clock),
      legacy_(legacy && kind != LinkKind::kUsb),
      framing_(FramingOf(kind, legacy_)) {}

DirectLink::~DirectLink() {
    transport_->Close();
}

LinkResult DirectLink::Open() {
    const LinkResult opened = transport_->Open();
    if (!opened.ok()) return opened;
    return transport_->Configure();
}

LinkResult DirectLink::Send(const Bytes& command) {
    return transport_->Write(command.data(), command.size(), 0);
}

bool DirectLink::ReplyReady(std::uint32_t timeoutMs) {
    std::uint8_t reply[kStatusReplyCapacity] = {};  // an empty reply leaves 0x00
    std::size_t received = 0;
    transport_->Read(reply, sizeof reply, received, timeoutMs);
    return Ready(reply[0]);
}

LinkResult DirectLink::ExchangeStatus(bool modelAnswers) {
    const LinkResult sent = Send(commands::StatusQuery());
    if (!sent.ok()) return LinkResult::Failed(LinkError::kStatus, sent.systemError);
    bool ready = true;
    if (kind_ == LinkKind::kSerial) {
        // The serial link always reads and judges the reply.
        ready = ReplyReady(kSerialReplyMs);
    } else if (modelAnswers) {
        // The reply is read, but judged only on the Windows 9x family. A
        // device file outside it reads only what has already arrived.
        const std::uint32_t timeout = kind_ == LinkKind::kTcp ? kTcpReplyMs
                                      : legacy_               ? kSerialReplyMs
                                                              : 0;
        ready = ReplyReady(timeout) || !legacy_;
    }
    return ready ? LinkResult::Done() : LinkResult::Failed(LinkError::kStatus);
}

}  // namespace zelmar::links
