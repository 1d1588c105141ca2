#include "model/LinkedImageHandOver.h"

bool CLinkedImageHandOver::IsKnown(const QString& fileName, const CFileStamp& stamp)
{
    std::lock_guard guard(lock_);
    return generation_.load() != 0 && knownName_ == fileName && knownStamp_ == stamp;
}

uint64_t CLinkedImageHandOver::Record(const QString& fileName, const CFileStamp& stamp,
                                      std::unique_ptr<CImportedBackground>* waited)
{
    std::lock_guard guard(lock_);
    knownName_ = fileName;
    knownStamp_ = stamp;
    *waited = std::move(waiting_);
    return generation_.fetch_add(1) + 1;
}

std::unique_ptr<CImportedBackground> CLinkedImageHandOver::Offer(std::unique_ptr<CImportedBackground> imported,
                                                                 uint64_t generation)
{
    std::lock_guard guard(lock_);
    if (generation != generation_.load())
        return imported;
    std::swap(imported, waiting_);
    return imported;
}

std::unique_ptr<CImportedBackground> CLinkedImageHandOver::TakeRetired()
{
    std::lock_guard guard(lock_);
    return std::move(retired_);
}
