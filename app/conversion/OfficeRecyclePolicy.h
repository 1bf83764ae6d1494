#pragma once

#include <QtGlobal>

// When an office this program started is replaced by a fresh one, between
// two files. An office kept running grows and never gives memory back:
// measured here (bench/longrun.sh, 2,000 small decks), a fresh office of
// 60-80 MB holds about 165 MB after 100 decks and 210 MB after 200, and one
// kept for the whole run of 2,000 real decks went from 316 MB to 682 MB.
class OfficeRecyclePolicy {
public:
    // After 100 decks an office is no bigger than it was at the start of a
    // long run's second hundred, so memory stays flat over the run; the
    // restart (about 1 s) costs 2-3 % of the time 100 decks take.
    static constexpr int kFilesPerOffice = 100;
    // A fresh office with the largest deck of the test corpus open stays
    // below 450 MB; an office past 768 MB has kept memory from a deck it no
    // longer needs, and carrying it into the next files only risks more.
    static constexpr qint64 kMemoryCeiling = 768ll * 1024 * 1024;

    OfficeRecyclePolicy() = default;
    OfficeRecyclePolicy(int filesPerOffice, qint64 memoryCeiling)
        : m_filesPerOffice(filesPerOffice), m_memoryCeiling(memoryCeiling) {}

    // filesDone: files converted by the office since it started;
    // residentBytes: its memory now, < 0 when unknown.
    bool due(int filesDone, qint64 residentBytes) const {
        // A fresh office is as lean as an office gets: replacing it gains
        // nothing, whatever it holds.
        return filesDone > 0 && ((m_filesPerOffice > 0 && filesDone >= m_filesPerOffice) ||
                                 (m_memoryCeiling > 0 && residentBytes > m_memoryCeiling));
    }

    int filesPerOffice() const { return m_filesPerOffice; }
    qint64 memoryCeiling() const { return m_memoryCeiling; }

private:
    int m_filesPerOffice = kFilesPerOffice;
    qint64 m_memoryCeiling = kMemoryCeiling;
};
