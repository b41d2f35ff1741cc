#pragma once
// OOverlayMenu: the main window's "Overlay" menu, acting on the chromatogram
// view of the active window:
//
//   Overlay <file name>          one checkable entry per other open document
//   Overlay <file> (reference)   one per reference recording (uncheck: it goes)
//   ---
//   Add Reference File...        a recording loaded for the overlay alone
//   Gate >                       which gate every overlaid run shows
//   ---
//   Align Starts                 checkable
//   Normalise to Highest Peak    checkable
//   ---
//   Clear Overlays
//
// The entries are built again each time the menu opens, from the documents
// open at that moment; the gate submenu is emptied first, so its entries
// never pile up. Without an active window every entry is disabled.
//
// A reference recording goes through the same calculation as a document. One
// that cannot be read gives a single message and leaves the overlay as it was.

#include "DVDocData.h"

#include <QList>
#include <QMenu>

#include <functional>

class ODVDoc;
class ODVViewScan;
class QActionGroup;

class OOverlayMenu : public QMenu {
    Q_OBJECT
public:
    static constexpr const char* kTitle = "&Overlay";
    static constexpr const char* kEntryPrefix = "Overlay ";
    static constexpr const char* kReferenceMark = " (reference)";
    static constexpr const char* kAddReference = "Add Reference File...";
    static constexpr const char* kGate = "&Gate";
    static constexpr const char* kAlignStarts = "Align Starts";
    static constexpr const char* kNormalise = "Normalise to Highest Peak";
    static constexpr const char* kClear = "Clear Overlays";
    static constexpr const char* kFilter = "DV Files (*.KLYN)|*.KLYN|All Files (*.*)|*.*||";
    static constexpr const char* kCaption = "Tarvolin Analyzer";

    // The chromatogram view of the active window (null when none).
    using ViewSource = std::function<ODVViewScan*()>;
    // The open documents, the active one among them.
    using DocumentSource = std::function<QList<ODVDoc*>()>;

    // options: what a reference recording is calculated with (a document's).
    OOverlayMenu(ViewSource activeView, DocumentSource documents,
                 const ODVDocData::Options& options, QWidget* parent = nullptr);

    // The entries for the active view and the open documents.
    void Rebuild();

    // The "Overlay <file name>" entries, in the documents' order, then the
    // reference recordings'.
    QList<QAction*> DocumentActions() const { return m_docActions; }
    QMenu* GateMenu() const { return m_pGateMenu; }
    QAction* AddReferenceAction() const { return m_pAddReference; }
    QAction* AlignAction() const { return m_pAlign; }
    QAction* NormaliseAction() const { return m_pNormalise; }
    QAction* ClearAction() const { return m_pClear; }

    // Add Reference File...: asks for a recording and lays it over the active
    // view. 1 when added; 0 when cancelled or refused (after its message).
    int AddReferenceFile();

private:
    void RebuildDocuments(ODVViewScan* view);
    void RebuildGates(ODVViewScan* view);

    ViewSource m_activeView;
    DocumentSource m_documents;
    ODVDocData::Options m_options;
    QList<QAction*> m_docActions;
    QAction* m_pDocSeparator = nullptr;
    QAction* m_pAddReference = nullptr;
    QMenu* m_pGateMenu = nullptr;
    QActionGroup* m_pGateGroup = nullptr;
    QAction* m_pAlign = nullptr;
    QAction* m_pNormalise = nullptr;
    QAction* m_pClear = nullptr;
};
