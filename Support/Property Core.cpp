#include "Support/Property Core.h"

#include <new>
#include <utility>

#include "Support/Memory Management.h"

static constexpr char MODULE_NAME[] = "Support/Property Core";

PROPERTY_DB_TYPE BOGUS{-1, "", "", nullptr};
std::string PROPERTY_TEXT_BUFFER;
std::string PROPERTY_ECHO;

void PROPERTY_STORE::Resize(int32_t count, const rt::Where& at) {
  if (count == count_) return;
  if (count <= 0) {
    records_.reset();
    count_ = 0;
    return;
  }
  std::unique_ptr<PROPERTY_DB_TYPE[]> fresh(new (std::nothrow)
                                                PROPERTY_DB_TYPE[static_cast<size_t>(count)]);
  if (!fresh) rt::Abort(rt::kOutOfMemory, at);
  const int32_t kept = count < count_ ? count : count_;
  for (int32_t i = 0; i < kept; ++i)
    fresh[static_cast<size_t>(i)] = std::move(records_[static_cast<size_t>(i)]);
  records_ = std::move(fresh);
  count_ = count;
}

void PROPERTY_ERASE(PROPERTY_STORE& PROPERTY_DB) {
  for (int32_t i = PROPERTY_DB.UBound(); i >= 0; --i) {
    PROPERTY_DB_TYPE& record = PROPERTY_DB[i];
    record.LABEL.clear();
    record.VALUE.clear();
    record.IMAGE = IMAGEDESTROY2(record.IMAGE);
    record.ITERATOR = -1;
    PROPERTY_DB.Resize(i, RT_HERE);
  }
}
