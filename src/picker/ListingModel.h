// The current folder's contents as rows for the listing view. Holds every
// entry once and rebuilds only the row index when sorting or filtering, so
// large folders stay quick.
#pragma once

#include "picker/DirListing.h"

#include <QAbstractTableModel>
#include <QIcon>
#include <vector>

namespace ombrix {

class ListingModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { NameColumn, SizeColumn, ColumnCount };

    explicit ListingModel(QObject* parent = nullptr);

    void setEntries(std::vector<DirEntry> entries);
    // Containers only: folders stay, files must end in a container suffix, in any case.
    void setContainersOnly(bool on);
    void setShowHidden(bool on);
    bool showHidden() const { return m_showHidden; }

    const DirEntry& entryAt(int row) const { return m_entries[m_rows[size_t(row)]]; }
    int rowOfName(const QByteArray& nameBytes) const;  // -1 when not listed

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation o, int role) const override;
    void sort(int column, Qt::SortOrder order) override;

    // The pane's one test of a container's file name: the Decrypt listing
    // and the marking of picks both ask it.
    static bool isContainerName(const QByteArray& nameBytes);

private:
    void setFilterFlag(bool& flag, bool on);
    void rebuildRows();
    void sortEntries();

    std::vector<DirEntry> m_entries;
    std::vector<size_t> m_rows;
    bool m_containersOnly = false;
    bool m_showHidden = false;
    int m_sortColumn = NameColumn;
    Qt::SortOrder m_sortOrder = Qt::AscendingOrder;
    QIcon m_dirIcon;
    QIcon m_fileIcon;
};

}  // namespace ombrix
