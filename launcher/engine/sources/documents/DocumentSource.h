#pragma once
// Documents of the companion indexer's database, by name, tag and content.

#include "launcher/engine/sources/Source.h"
#include "launcher/engine/sources/documents/IndexedDocumentSearch.h"

namespace trovi {

class DocumentSource final : public Source {
public:
    DocumentSource(SourceHost& host, const QString& databasePath);
    QList<SearchResult> search(const SearchContext& context) override;
    // Name, tag and full-text statements over a large index take tens of ms.
    bool answersLate() const override { return m_index.isOpen(); }
    // Counts an opening in the index; true when the update ran.
    bool incrementOpenCount(std::int64_t databaseID) {
        return m_index.incrementOpenCount(databaseID);
    }

private:
    SourceHost& m_host;
    IndexedDocumentSearch m_index;
};

} // namespace trovi
