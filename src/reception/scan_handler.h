// Handling of one scan message, from the received bytes to the acknowledgement.
// Everything the handler touches is reached through small interfaces, so the
// same sequence runs in the program (Winsock server, list view, labels, edit
// box log) and in native tests.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "scanlist/row_store.h"
#include "scanlist/text_forms.h"

namespace reception {

// The event values and the reply path of the TCP server.
class ScanSource {
 public:
  virtual ~ScanSource() = default;
  virtual std::string CurrentClient() const = 0;
  virtual std::string CurrentData() const = 0;
  // Sends data to the client named `client`; waitSeconds < 0 means no wait.
  virtual bool SendToClient(const std::string& client, std::string_view data,
                            int waitSeconds) = 0;
};

// The event log: adds text at the end, no line break of its own.
class EventLog {
 public:
  virtual ~EventLog() = default;
  virtual void AppendLog(std::string_view text) = 0;
};

// The two captions the handler changes.
class ScanCaptions {
 public:
  virtual ~ScanCaptions() = default;
  virtual void SetBarcodeCaption(std::string_view text) = 0;  // 标签5
  virtual void SetCountCaption(std::string_view text) = 0;    // 标签2
};

// The database stage: stores row `row` and logs its own outcome.
class ScanRecordSink {
 public:
  virtual ~ScanRecordSink() = default;
  virtual void AppendScanRecord(int row, const std::string& client, const std::string& barcode,
                                const std::string& timeText) = 0;
};

// The acknowledgement text "记录成功" (8 GBK bytes) and its send wait.
inline constexpr std::string_view kAcknowledgement{"\xBC\xC7\xC2\xBC\xB3\xC9\xB9\xA6", 8};
inline constexpr int kAcknowledgementWaitSeconds = 2000;
// The remark of one space that stands for "no remark", and its list text "无备注".
inline constexpr std::string_view kNoRemarkMarker{" "};
inline constexpr std::string_view kNoRemarkText{"\xCE\xDE\xB1\xB8\xD7\xA2", 6};
inline constexpr std::string_view kSeparator{"||"};

// Log line for a message that lacks the separator or a remark field:
// client + "消息缺少分隔符，已忽略" + CR LF.
std::string IgnoredMessageLine(std::string_view client);

class ScanHandler {
 public:
  using Clock = std::function<scanlist::DateTime()>;
  ScanHandler(ScanSource& source, scanlist::ScanListModel& list, ScanCaptions& captions,
              EventLog& log, ScanRecordSink& records, Clock clock = scanlist::LocalNow)
      : source_(source),
        list_(list),
        captions_(captions),
        log_(log),
        records_(records),
        clock_(std::move(clock)) {}

  // Runs inside the server's data event (CurrentClient/CurrentData valid).
  void OnScanDataArrived();

 private:
  ScanSource& source_;
  scanlist::ScanListModel& list_;
  ScanCaptions& captions_;
  EventLog& log_;
  ScanRecordSink& records_;
  Clock clock_;
};

}  // namespace reception
