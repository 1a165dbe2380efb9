#include "picker/ListingModel.h"

#include "container/Formats.h"

#include <QApplication>
#include <QHash>
#include <QLocale>
#include <QStyle>
#include <algorithm>

namespace ombrix {

namespace {

QString sizeText(qint64 size) {
    if (size < 1024) return QStringLiteral("%1 B").arg(size);
    static const char* units[] = {"KB", "MB", "GB", "TB"};
    double v = double(size) / 1024;
    int u = 0;
    while (v >= 1024 && u < 3) {
        v /= 1024;
        ++u;
    }
    return QStringLiteral("%1 %2").arg(QLocale().toString(v, 'f', v < 10 ? 1 : 0), units[u]);
}

}  // namespace

ListingModel::ListingModel(QObject* parent) : QAbstractTableModel(parent) {
    m_dirIcon = QApplication::style()->standardIcon(QStyle::SP_DirIcon);
    m_fileIcon = QApplication::style()->standardIcon(QStyle::SP_FileIcon);
}

bool ListingModel::isContainerName(const QByteArray& nameBytes) {
    return container::IsContainerName(std::string_view(nameBytes.constData(), size_t(nameBytes.size())));
}

void ListingModel::setEntries(std::vector<DirEntry> entries) {
    beginResetModel();
    m_entries = std::move(entries);
    sortEntries();
    rebuildRows();
    endResetModel();
}

void ListingModel::setContainersOnly(bool on) { setFilterFlag(m_containersOnly, on); }

void ListingModel::setShowHidden(bool on) { setFilterFlag(m_showHidden, on); }

void ListingModel::setFilterFlag(bool& flag, bool on) {
    if (on == flag) return;
    beginResetModel();
    flag = on;
    rebuildRows();
    endResetModel();
}

int ListingModel::rowOfName(const QByteArray& nameBytes) const {
    for (size_t r = 0; r < m_rows.size(); ++r)
        if (m_entries[m_rows[r]].nameBytes == nameBytes) return int(r);
    return -1;
}

void ListingModel::rebuildRows() {
    m_rows.clear();
    m_rows.reserve(m_entries.size());
    for (size_t i = 0; i < m_entries.size(); ++i) {
        const DirEntry& e = m_entries[i];
        if (e.hidden && !m_showHidden) continue;
        if (!e.isDir && m_containersOnly && !isContainerName(e.nameBytes)) continue;
        m_rows.push_back(i);
    }
}

void ListingModel::sortEntries() {
    // Folders always come first; the order applies within each group.
    const bool bySize = m_sortColumn == SizeColumn;
    const bool desc = m_sortOrder == Qt::DescendingOrder;
    auto byName = [](const DirEntry& a, const DirEntry& b) {
        const int c = a.sortKey.compare(b.sortKey);
        if (c != 0) return c < 0;
        return a.nameBytes < b.nameBytes;
    };
    std::sort(m_entries.begin(), m_entries.end(), [&](const DirEntry& a, const DirEntry& b) {
        if (a.isDir != b.isDir) return a.isDir;
        if (bySize && !a.isDir && a.size != b.size) return desc ? a.size > b.size : a.size < b.size;
        return desc ? byName(b, a) : byName(a, b);
    });
}

void ListingModel::sort(int column, Qt::SortOrder order) {
    m_sortColumn = column;
    m_sortOrder = order;
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    // Keep selection and current row on the same entries across the sort.
    const QModelIndexList before = persistentIndexList();
    QList<QByteArray> names;
    names.reserve(before.size());
    for (const QModelIndex& i : before) names << entryAt(i.row()).nameBytes;
    sortEntries();
    rebuildRows();
    QHash<QByteArray, int> rowByName;
    rowByName.reserve(int(m_rows.size()));
    for (size_t r = 0; r < m_rows.size(); ++r) rowByName.insert(m_entries[m_rows[r]].nameBytes, int(r));
    QModelIndexList after;
    after.reserve(before.size());
    for (int k = 0; k < before.size(); ++k) after << index(rowByName.value(names[k]), before[k].column());
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

int ListingModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : int(m_rows.size()); }

int ListingModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : ColumnCount; }

QVariant ListingModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) return {};
    const DirEntry& e = entryAt(index.row());
    if (index.column() == NameColumn) {
        switch (role) {
        case Qt::DisplayRole: return e.name;
        case Qt::DecorationRole: return e.isDir ? m_dirIcon : m_fileIcon;
        case Qt::ToolTipRole: return e.name;
        default: return {};
        }
    }
    if (role == Qt::DisplayRole && !e.isDir) return sizeText(e.size);
    if (role == Qt::TextAlignmentRole) return int(Qt::AlignRight | Qt::AlignVCenter);
    return {};
}

QVariant ListingModel::headerData(int section, Qt::Orientation o, int role) const {
    if (o != Qt::Horizontal || role != Qt::DisplayRole) return {};
    return section == NameColumn ? QStringLiteral("Name") : QStringLiteral("Size");
}

}  // namespace ombrix
