// Undoing an installation: its journal (installation_journal.h) played
// backwards, so the machine is as the installation found it. Files the
// installation made are removed, moved-aside files put back in their place,
// folders it made removed when they are empty again, registry keys and access
// lists put back as they were. What cannot be undone (a further installer
// that ran, a control registration that replaced an earlier one) is said, not
// hidden. Every step is written to the installation's log.
//
// The journal is not trusted blindly: only records the journal's header
// allows are played (their paths plain and in the installation's places, a
// moved-aside file named as the journal names them, keys of the product's
// own), so a damaged journal can make the rollback do less, never more.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "install/journal.h"
#include "util/error.h"

// A person (or the passive window) cancelled the installation, or declined
// to retry a file that cannot be written: the installation is undone and the
// program ends.
class EInstallationCancelled : public EError {
public:
    EInstallationCancelled();
};

// Told before each record is undone: how many are done, of how many, and the
// path or key it concerns (for the installing page's status line and bar).
using TUndoProgress = std::function<void(size_t done, size_t total, const std::wstring& item)>;

// Plays the records backwards (the header first among them). A record whose
// undo fails is reported and the rest still undone.
void RollBack(const std::vector<TJournalRecord>& records, const TUndoProgress& progress = {});

// The installation is complete: its moved-aside files are removed (those in
// use at the next restart), but for one whose file nothing replaced, which
// goes back to its place.
void CommitRecords(const std::vector<TJournalRecord>& records);

// Looks for the journal of an earlier installation that neither completed nor
// was undone (a crash, a kill, a power loss) and, when there is one, undoes
// it (or, when it had completed, removes what it had moved aside), logs what
// it did and removes the journal. The caller holds the installation lock, so
// no running installation owns the journal. True when there was one.
bool RecoverInterruptedInstallation();
// For the wizard's start-up, before it proposes a folder: when a journal is
// there and no other installation holds the lock, recovers it now and lets
// the lock go again (a person may sit on the welcome page for long).
void RecoverUnlessAnotherInstallationRuns();
