#include "reception/scan_handler.h"

#include <cmath>

namespace reception {

std::string IgnoredMessageLine(std::string_view client) {
  // "消息缺少分隔符，已忽略\r\n"
  return std::string(client) +
         "\xCF\xFB\xCF\xA2\xC8\xB1\xC9\xD9\xB7\xD6\xB8\xF4\xB7\xFB\xA3\xAC\xD2\xD1\xBA\xF6\xC2\xD4"
         "\r\n";
}

void ScanHandler::OnScanDataArrived() {
  const std::string client = source_.CurrentClient();
  const std::string text = scanlist::BytesToText(source_.CurrentData());
  const std::vector<std::string> fields = scanlist::SplitText(text, kSeparator);
  if (fields.size() < 2) {
    // No separator, nothing after it, or an empty message: nothing is shown,
    // stored or answered; the operator sees why in the log.
    log_.AppendLog(IgnoredMessageLine(client));
    return;
  }
  const std::string& barcode = fields[0];
  const std::string& remark = fields[1];
  captions_.SetBarcodeCaption(barcode);
  const std::string timeText = scanlist::TimeText(clock_());

  const int before = list_.GetRowCount();
  const int row = list_.AppendRow();
  const double number = static_cast<double>(row) + 1.0;
  list_.SetCellText(row, 0, scanlist::NumberText(number));
  list_.SetCellText(row, 1, client);
  list_.SetCellText(row, 2, barcode);
  list_.SetCellText(row, 3, timeText);
  list_.SetCellText(row, 4, remark == kNoRemarkMarker ? kNoRemarkText : std::string_view(remark));

  records_.AppendScanRecord(row, client, barcode, timeText);

  const int after = list_.GetRowCount();
  const double gained = static_cast<double>(after) - static_cast<double>(before) - 1.0;
  if (std::fabs(gained) <= 1e-7) {
    source_.SendToClient(client, kAcknowledgement, kAcknowledgementWaitSeconds);
    captions_.SetCountCaption(scanlist::CountCaption(number));
  }
}

}  // namespace reception
