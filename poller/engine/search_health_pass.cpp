// Search health in the polling loop: outcomes gathered per search, the file rewritten after a
// completed pass, and the warning held for after the pass turn.
#include "poller/engine/search_health_pass.h"

#include <algorithm>

#include "common/pass_log.h"
#include "common/settings_store.h"

namespace {

constexpr int kFirstFailedStatus = 400;

}  // namespace

SearchOutcome PageOutcome(const DownloadReport& report, bool pageOpened, long items) {
  switch (report.failure) {
    case DownloadFailure::Refused:
      return FailedOutcome(FailureCause::Refused);
    case DownloadFailure::Connection:
      return FailedOutcome(FailureCause::Connection);
    case DownloadFailure::Credentials:
      return FailedOutcome(FailureCause::Credentials);
    case DownloadFailure::Redirect:
      return FailedOutcome(FailureCause::Redirect);
    case DownloadFailure::File:
      return FailedOutcome(FailureCause::File);
    case DownloadFailure::None:
      break;
  }
  if (!pageOpened) return FailedOutcome(FailureCause::File);
  // An error page is parsed like any other, but it is not the search's page.
  if (report.status >= kFirstFailedStatus) return FailedOutcome(FailureCause::Status, report.status);
  return PageReadOutcome(items);
}

void SearchHealthPass::Begin(const std::tm& passTime) {
  passTime_ = FormatPassTime(passTime);
  results_.clear();
}

void SearchHealthPass::Record(const SavedSearch& search, const SearchOutcome& outcome) {
  if (!enabled_) return;
  SearchPassResult result;
  result.search.description = search.description;
  result.search.address = search.url;
  result.outcome = outcome;
  results_.push_back(std::move(result));
}

void SearchHealthPass::Complete(HeldMessages& held) {
  if (!enabled_) return;
  std::vector<SearchHealth> previous;
  // A damaged or foreign file is rebuilt; within one process the last pass's records are the
  // better start than none.
  if (LoadSearchHealth(kSearchHealthName, &previous) != HealthFileRead::Read) previous = lastRecords_;
  HealthUpdate update = UpdateSearchHealth(previous, results_, passTime_);
  // A file that cannot be written (a full disk) never stops a pass; the records are kept here.
  SaveSearchHealth(kSearchHealthName, update.records);
  lastRecords_ = std::move(update.records);
  const std::string warning = FormatHealthWarningText(update.warnings);
  if (!warning.empty() && ArePopupsEnabled()) held.Hold(warning, "Lotwise");
}

long SearchHealthPass::WarnedCount() const {
  return static_cast<long>(
      std::count_if(lastRecords_.begin(), lastRecords_.end(), [](const SearchHealth& health) { return health.warned; }));
}
