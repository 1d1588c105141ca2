#include "app/SettingsStore.h"

#include "app/QSettingsStore.h"

#include <mutex>

namespace {

std::mutex storeLock;
std::unique_ptr<ISettingsStore> store;

}  // namespace

ISettingsStore& Settings()
{
    std::lock_guard guard(storeLock);
    if (!store)
        store = std::make_unique<CQSettingsStore>();
    return *store;
}

std::unique_ptr<ISettingsStore> InstallSettingsStore(std::unique_ptr<ISettingsStore> newStore)
{
    std::lock_guard guard(storeLock);
    std::swap(store, newStore);
    return newStore;
}
