// The file chooser: the caller sets the properties, calls ShowOpen or ShowSave, tests
// CancelError and reads the choice back from the same properties. The dialog itself is the
// platform's (Plateforme().dialogueFichier); texts are Windows-1252.
#pragma once

#include <cstdint>
#include <string>

namespace monvalor {

class OpenSaveDlg {
public:
    OpenSaveDlg() { Filter("All Files (*.*)|*.*"); }

    // After a confirmed dialog: where the extension starts in FileName, after its dot, as the
    // dialog counted it; 0 when the name has none.
    std::int16_t FileExt() const { return FileExt_; }
    void FileExt(std::int16_t v) { FileExt_ = v; }
    // The owner window; 0: none.
    std::uintptr_t hwnd() const { return hwnd_; }
    void hwnd(std::uintptr_t v) { hwnd_ = v; }

    // Show the dialog and wait for the user. Erreur 5 before any dialog when FileName does not
    // fit MaxFileSize + 1 characters; CancelError is then left as it was.
    void ShowSave();
    void ShowOpen();

    // Room for the returned path, in characters.
    std::int16_t MaxFileSize() const { return MaxFileSize_; }
    void MaxFileSize(std::int16_t v) { MaxFileSize_ = v; }
    const std::string& InitDir() const { return InitDir_; }
    void InitDir(const std::string& v) { InitDir_ = v; }
    // The dialog's option bits (Ofn... in services/Services.h), passed through as they are.
    std::int32_t Flags() const { return Flags_; }
    void Flags(std::int32_t v) { Flags_ = v; }
    // Descriptions and patterns alternating, separated by "|"; read back less at most two
    // trailing "|".
    std::string Filter() const;
    void Filter(const std::string& v);
    // The stored form the dialog receives: each "|" a NUL, ending in two NULs.
    const std::string& FiltreStocke() const { return filtre_; }
    // 1-based pair the dialog preselects; after a confirmed dialog, the pair chosen.
    std::int16_t FilterIndex() const { return FilterIndex_; }
    void FilterIndex(std::int16_t v) { FilterIndex_ = v; }
    const std::string& FileTitle() const { return FileTitle_; }
    void FileTitle(const std::string& v) { FileTitle_ = v; }
    // Before: the name proposed; after a confirmed dialog: the path chosen (with several files
    // chosen, the first part of the dialog's list).
    const std::string& FileName() const { return FileName_; }
    void FileName(const std::string& v) { FileName_ = v; }
    const std::string& DialogTitle() const { return DialogTitle_; }
    void DialogTitle(const std::string& v) { DialogTitle_ = v; }
    const std::string& DefaultExt() const { return DefaultExt_; }
    void DefaultExt(const std::string& v) { DefaultExt_ = v; }
    // True when the last ShowOpen or ShowSave ended without a chosen file.
    bool CancelError() const { return CancelError_; }
    void CancelError(bool v) { CancelError_ = v; }

private:
    void Montrer(bool enregistrer);

    std::int16_t FileExt_ = 0;
    std::uintptr_t hwnd_ = 0;
    std::int16_t MaxFileSize_ = 260;
    std::string InitDir_ = "C:\\";
    std::int32_t Flags_ = 6; // confirm overwriting, no read-only box
    std::string filtre_;
    std::int16_t FilterIndex_ = 1;
    std::string FileTitle_;
    std::string FileName_;
    std::string DialogTitle_;
    std::string DefaultExt_;
    bool CancelError_ = false;
};

} // namespace monvalor
