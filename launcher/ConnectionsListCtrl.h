#pragma once
// The instrument connections as large icons: one item per connection, its
// label the trimmed name, its picture the instrument (bitmap 147, 100 x 144).
// An empty list shows a line of help in its middle instead.

#include "GeneralPCSettings.h"

#include <QListWidget>

class CConnectionsListCtrl : public QListWidget {
    Q_OBJECT

public:
    static constexpr int kPictureWidth = 100;
    static constexpr int kPictureHeight = 144;

    explicit CConnectionsListCtrl(QWidget* parent = nullptr);

    // Deletes every item, then adds one per connection whose trimmed name is
    // not empty, in file order; the selected name stays selected when it is
    // still there.
    void Fill(const CGeneralPCSettings& list);
    // The selected connection's (trimmed) name; empty when none is selected.
    QString GetSelectedName() const;
    void SelectName(const QString& name);
    QStringList GetNames() const;

    // What the empty list says.
    void SetEmptyText(const QString& text);
    QString GetEmptyText() const { return m_strEmptyText; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QIcon m_picture;
    QString m_strEmptyText;
};
