// The main window "条形码接收端": its units, their layout and wiring, the scan
// server and the handlers of its events.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "reception/scan_handler.h"
#include "reception/tcp_server_win.h"
#include "scanlist/list_view_win.h"

namespace shell {

// Outer size of the main window, frame, title bar and menu bar included.
inline constexpr int kReceiverWidthPx = 844;
inline constexpr int kReceiverHeightPx = 501;
inline constexpr uint16_t kScanPort = 50410;

class ReceiverWindow final : public reception::TcpServerEvents,
                             public reception::ScanCaptions,
                             public reception::EventLog,
                             public reception::ScanRecordSink {
 public:
  ReceiverWindow();
  ~ReceiverWindow() override;
  // Creates the window and its units and runs the creation handler; the window
  // is shown by Show(), after that handler returned.
  bool Create(HINSTANCE instance);
  void Show(int showCommand);
  HWND Handle() const { return hwnd_; }

  // TcpServerEvents
  void OnDataArrived() override;
  void OnClientEntered() override;
  void OnClientLeft() override;
  // ScanCaptions
  void SetBarcodeCaption(std::string_view text) override;
  void SetCountCaption(std::string_view text) override;
  // EventLog (编辑框2)
  void AppendLog(std::string_view text) override;
  // ScanRecordSink: the database stage
  void AppendScanRecord(int row, const std::string& client, const std::string& barcode,
                        const std::string& timeText) override;

 private:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  static LRESULT CALLBACK GroupProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id,
                                    DWORD_PTR ref);
  LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp);
  bool CreateUnits();
  void OnReceiverCreated();
  void OnReceiverDestroyed();
  void OnAboutSelected();
  void OnCommand(int id, int code);
  HBRUSH OnControlColor(HDC dc, HWND control);
  HWND Unit(int id) const;

  HWND hwnd_ = nullptr;
  HWND group_ = nullptr;
  HFONT guiFont_ = nullptr;
  HFONT barcodeFont_ = nullptr;  // 标签5, 48 px
  HFONT captionFont_ = nullptr;  // 标签4, 56 px
  HBRUSH blackBrush_ = nullptr;
  HBRUSH whiteBrush_ = nullptr;
  scanlist::ListViewScanList list_;
  std::unique_ptr<reception::TcpServer> server_;
  std::unique_ptr<reception::ScanHandler> handler_;
};

}  // namespace shell
