#pragma once
// COwnerListBox: the list of matching guests, drawn in large type. Every entry is 40 pixels high
// as designed (a window laid out larger sets a larger height); its text is red, on one line, 3
// pixels in from the entry's left and top edges, over the highlight colour when the entry is
// selected and the window colour otherwise. A name too long for the entry is drawn smaller, and
// wrapped when even the smallest readable size does not fit.
#include <QFont>
#include <QListWidget>

class COwnerListBox : public QListWidget {
    Q_OBJECT
  public:
    static constexpr int kEntryHeight = 40;
    static constexpr int kTextInset = 3;

    explicit COwnerListBox(QWidget* parent = nullptr);
    ~COwnerListBox() override;
    COwnerListBox(const COwnerListBox&) = delete;
    COwnerListBox& operator=(const COwnerListBox&) = delete;

    // The font the entries are drawn in: the list's own font with a 40-pixel cell height, in
    // the face that stands in for "MS Mincho".
    const QFont& EntryFont() const { return entry_font_; }

    int EntryHeight() const { return entry_height_; }
    void SetEntryHeight(int pixels);

  protected:
    void changeEvent(QEvent* event) override;

  private:
    void DeriveEntryFont();

    QFont entry_font_;
    int entry_height_ = kEntryHeight;
};
