#pragma once
// The car catalogue: the car makes come from the site's extended-search page
// into the data module's car group, keeping the model the user chose for
// each make; the models of a make come from the built-in model table.

#include "data/DefaultServer.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

class TSubmit;

namespace search {

class TVelmora;

// The site whose extended-search page lends its car makes when the chosen
// site has no such page. Its makes are the platform's, shared by every site.
inline constexpr std::string_view CarCatalogueFallbackHost = data::DefaultServerHost;

// Refills the data module's car group from "/search_ext.phtml" of the
// settings' FinderServer, or of `fallbackHost` when that page is missing or
// is a hosting's "not found" or "free address" page. Each make keeps the
// model remembered for it in the registry. When neither page lists a make,
// the group keeps the makes it had, or gets the remembered ones when it had
// none. True when a page listed the makes, False when the group was left
// as described (no network, a refusing proxy): the caller may try again.
// Blocking; never raises on network failures.
bool LoadCarModelsFromSite(TVelmora& engine, std::string_view fallbackHost = CarCatalogueFallbackHost);
// LoadCarModelsFromSite without the wait: returns at once, the pages are
// fetched through `client`, and `done` gets the same answer from a later turn
// of the event loop, the car group then refilled as described. The client's
// Abort (or its end) gives the load up: `done` never comes and the group is
// left as it was.
void LoadCarModelsFromSiteAsync(TSubmit& client, std::string_view fallbackHost, std::function<void(bool listed)> done);

// The makes of the extended-search page `body` (its bytes as they came)
// into the car group, as LoadCarModelsFromSite takes the page it fetched;
// true when the page listed any.
bool TakeCarMakes(const std::string& body);

// Replaces `list` with "любая" and the model names of make `makeId` (a car
// group row's "id"); empty when the id is no number or no make of the table.
void FillCarModels(std::string_view makeId, std::vector<std::string>& list);

} // namespace search
