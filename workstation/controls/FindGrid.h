#pragma once
// The grid of the bill windows' part search: hidden until the typed text finds something, it
// holds only the matches it can show and fetches the next screenful when the user reaches the
// bottom (scroll bar, keyboard or wheel). A double click or Enter on a match chooses it.
#include "StringGrid.h"

#include <QStringList>

class TPartSearch;

class TFindGrid : public TStringGrid {
    Q_OBJECT
public:
    explicit TFindGrid(QWidget* parent = nullptr);

    // The search it shows (not owned) and the search's columns in the grid's column order.
    void SetSearch(TPartSearch* search, const QStringList& fields);
    TPartSearch* Search() const { return FSearch; }

    // How many rows it shows without scrolling, measured from its own size so that it holds
    // while the grid is hidden: what a search fetches at a time.
    int VisibleRows() const;
    // A new search for the text; an empty text hides the grid. Throws TFbError.
    void Find(const QString& text);
    // The next screenful, when there are more matches and the grid shows. Throws TFbError.
    void FetchMore();
    // Chooses the current match (as a double click does); false when none is current.
    bool ChooseCurrent();

signals:
    void Chosen(int row);

protected:
    void wheelEvent(QWheelEvent* e) override;

private:
    void ShowFrom(int fromRow);

    TPartSearch* FSearch = nullptr;
    QStringList FFields;
    bool FFilling = false;   // being filled: its row moves are no user's
};
