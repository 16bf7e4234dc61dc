// The trace sink handed to every module that can produce messages.
//
// CSlout is the silent base: its eight operations format texts but output
// nothing. CDerivedSlout1 is the application's sink: traces go to the trace
// file while tracing is on, errors go to the user in the modal message dialog
// and to the trace file. Inside the program texts are UTF-8, which is also the
// 8-bit code page here; the "A" operations take 8-bit text and check that it
// converts, the "W" operations take the program's own text.
//
// The operations may be called from any thread: formatting happens in per-call
// buffers, and the line counter is guarded.
#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <string_view>

// The modal message dialog, "Tobrel : Message". The window layer implements it;
// tests use a recording double.
class ModalMessageDialog {
  public:
    virtual ~ModalMessageDialog() = default;
    // Shows text with OK (or OK and Cancel); confirmed tells whether OK closed it.
    virtual int show(std::string_view text, bool withCancel, bool& confirmed) = 0;
    // Asks a Yes/No question; a dialog without its own Yes/No form asks with OK and Cancel.
    virtual int ask(std::string_view text, bool& yes) { return show(text, true, yes); }
};

class CSlout {
  public:
    CSlout() = default;
    virtual ~CSlout() = default;
    CSlout(const CSlout&) = delete;
    CSlout& operator=(const CSlout&) = delete;

    // The eight operations, in slot order. `line` is 1 for the first line of a
    // message and anything else for a continuation line. Each returns OKAY
    // unless the derived sink fails to deliver.
    virtual int outputA(int line, std::string_view text);   // 0
    virtual int messageA(int line, std::string_view text);  // 1
    virtual int errorA(int line, std::string_view text);    // 2
    virtual int warningA(int line, std::string_view text);  // 3
    virtual int outputW(int line, std::string_view text);   // 4
    virtual int messageW(int line, std::string_view text);  // 5
    virtual int errorW(int line, std::string_view text);    // 6
    virtual int warningW(int line, std::string_view text);  // 7

    int lineCount() const;

  protected:
    // Sets the counter to 1 for a first line or advances it; returns the new value.
    int nextLine(int line);
    // "Error: %s" / "Warning: %s" for a first line, "   %s" for a continuation.
    static std::string decorate(std::string_view prefix, int line, std::string_view text);

  private:
    mutable std::mutex mutex_;
    int lineCount_ = 1;
};

class CDerivedSlout1 : public CSlout {
  public:
    // verbose: tracing switch; traceFile: full path of the trace file;
    // dialog: where errors are shown (may be null: errors then only go to the trace).
    CDerivedSlout1(bool verbose, std::string traceFile, ModalMessageDialog* dialog);

    int outputA(int line, std::string_view text) override;
    int errorA(int line, std::string_view text) override;
    int outputW(int line, std::string_view text) override;
    int errorW(int line, std::string_view text) override;

    bool verbose() const { return verbose_; }
    const std::string& traceFile() const { return traceFile_; }

    // Open attempts and the pause between them when the trace file cannot be opened.
    static constexpr int kOpenAttempts = 100;
    static constexpr int kOpenRetryMs = 100;

  private:
    bool verbose_;
    std::string traceFile_;
    ModalMessageDialog* dialog_;
};

// Creates the application's sink: the trace file is "trace_messages.txt" in
// `folder`; an existing one from an earlier run is deleted. When that deletion
// fails, the sink reports "<path>: <system error text>" through errorW and
// creation fails with an internal error.
int sloutCreate(bool verbose, const std::string& folder, ModalMessageDialog* dialog,
                std::unique_ptr<CDerivedSlout1>& out);
