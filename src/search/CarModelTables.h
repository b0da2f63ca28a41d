#pragma once
// The built-in model names of the site's 76 car makes, by make id (the value
// of the site's make list). The car-model dialog offers "любая" followed by
// these names; "любая" itself is not part of the table. Names are kept as
// the site writes them: case and spacing untouched, a name listed twice in
// one make stays twice, and makes 7 and 72 hold the same names.
//
// The model lists are generated from the make list; edit them only together
// with the checks at the end of this file.

#include <algorithm>
#include <array>
#include <cstddef>
#include <span>
#include <string_view>

namespace search {

inline constexpr int CarMakeCount = 76;

// One make: its id and its model names in the order the dialog lists them.
struct TCarModelEntry {
    int MakeId;
    std::span<const std::string_view> Models;
};

namespace detail {
inline constexpr std::array<std::string_view, 6> CarModels1{"MDX", "NSX", "RL", "RSX", "TL", "TSX"};
inline constexpr std::array<std::string_view, 24> CarModels2{"Accent", "Atos", "Azera", "Centennial", "Coupe",
    "Elantra", "Excel", "Galloper", "Getz", "Grandeur", "H-1", "Lantra", "Matrix", "NF", "Pony", "S Coupe",
    "Santa Fe", "Satellite", "Sonata", "Terracan", "Tiburon", "Trajet", "Tucson", "XG"};
inline constexpr std::array<std::string_view, 8> CarModels3{"911", "928", "944", "968", "Boxster",
    "Carrera GT", "Cayenne", "Cayman"};
inline constexpr std::array<std::string_view, 16> CarModels4{"145", "146", "147", "155", "156", "159", "164",
    "166", "33", "75", "Brera", "Crosswagon", "GT", "GTV", "Spider", "Sport Wagon"};
inline constexpr std::array<std::string_view, 9> CarModels5{"FX 35", "FX 45", "FX50S", "G35", "I35", "M35",
    "Q45", "QX 56", "QX35"};
inline constexpr std::array<std::string_view, 6> CarModels6{"Gen", "Perdana", "Saga", "Satria", "Waja", "Wira"};
inline constexpr std::array<std::string_view, 3> CarModels7{"Hunter", "Patriot", "Simbir"};
inline constexpr std::array<std::string_view, 7> CarModels8{"Amigo", "Ascender", "Axiom", "Bighorn", "Rodeo",
    "Trooper", "Vehi Cross"};
inline constexpr std::array<std::string_view, 20> CarModels9{"19", "21", "25", "5", "avantime", "Clio",
    "Espace", "Grand Scenic", "Kangoo", "Laguna", "Logan", "Megane", "modus", "Safrane", "Scenic", "Spider",
    "Symbol", "Trafic", "Twingo", "Vel Satis"};
inline constexpr std::array<std::string_view, 26> CarModels10{"100", "200", "80", "90", "A2", "A3",
    "A3 Sportback", "A4", "A5", "A6", "A8", "Allroad", "Cabriolet", "Coupe", "Q7", "Quattro", "RS2", "RS4",
    "RS6", "S2", "S3", "S4", "S6", "S8", "TT", "V8"};
inline constexpr std::array<std::string_view, 5> CarModels11{"S-Type", "X-type", "xj-type", "XK", "xk-type"};
inline constexpr std::array<std::string_view, 19> CarModels12{"100-serie", "200", "214", "216", "25", "400",
    "414", "416", "420", "45", "600", "620", "623", "75", "800-serie", "820", "825", "827", "Streetwise"};
inline constexpr std::array<std::string_view, 4> CarModels13{"Arnage", "Azure", "Brooklands", "Continental"};
inline constexpr std::array<std::string_view, 6> CarModels14{"Cherokee", "Commander", "Compass",
    "Grand Cherokee", "Patriot", "Wrangler"};
inline constexpr std::array<std::string_view, 7> CarModels15{"9-2x", "9-3", "9-5", "9-7X", "900", "9000",
    "9000 CD"};
inline constexpr std::array<std::string_view, 40> CarModels16{"116", "118", "120", "130", "316", "318", "320",
    "323", "324", "325", "330", "518", "520", "523", "524", "525", "528", "530", "535", "540", "545", "630",
    "645", "728", "730", "735", "740", "745", "750", "760", "328i Coupe", "M3", "M5", "M6", "X3", "X5", "X6",
    "Z3", "Z4", "Z8"};
inline constexpr std::array<std::string_view, 18> CarModels17{"Carens", "Carnival", "Cee'd", "Cerato",
    "Clarus", "Joice", "Magentis", "Mentor", "Opirus", "Picanto", "Pride", "Rio", "Sedona", "Sephia", "Shuma",
    "Sorento", "Spectra", "Sportage"};
inline constexpr std::array<std::string_view, 3> CarModels18{"ION", "LW", "VUE"};
inline constexpr std::array<std::string_view, 2> CarModels19{"EB 110", "Veyron"};
inline constexpr std::array<std::string_view, 3> CarModels20{"Diablo", "Gallardo", "Murcielago"};
inline constexpr std::array<std::string_view, 2> CarModels21{"tC", "xB"};
inline constexpr std::array<std::string_view, 6> CarModels22{"Century", "Le Sabre", "Park Avenue", "Rainier",
    "Regal", "Rendervous"};
inline constexpr std::array<std::string_view, 10> CarModels23{"Dedra", "Delta", "Kappa", "Lybra", "Musa",
    "Phedra", "Thema", "Thesis", "Ypsilon", "Zeta"};
inline constexpr std::array<std::string_view, 8> CarModels24{"Alhambra", "Arosa", "Cordoba", "Ibiza", "Leon",
    "Malaga", "Marbella", "Toledo"};
inline constexpr std::array<std::string_view, 1> CarModels25{"Flyer"};
inline constexpr std::array<std::string_view, 6> CarModels26{"Defender", "Discovery", "Freelander", "LR2",
    "Range Rover", "Range Rover Sport"};
inline constexpr std::array<std::string_view, 7> CarModels27{"Fabia", "Favorit", "Felicia", "Forman",
    "Octavia", "Octavia II", "Superb"};
inline constexpr std::array<std::string_view, 13> CarModels28{"BLS", "CTS", "CTS-V", "De Ville", "DTS",
    "Eldorado", "Escalade", "Seville", "SRX", "STS", "STS-V", "XLR", "XLR-V"};
inline constexpr std::array<std::string_view, 20> CarModels29{"ES330", "ES350", "GS300", "GS430", "GS450",
    "GX470", "IS200", "IS220", "IS250", "IS300", "IS350", "LS400", "LS430", "LX470", "RX 300", "RX 330",
    "RX350", "RX400h", "SC300", "SC430"};
inline constexpr std::array<std::string_view, 5> CarModels30{"City-coupe", "Crossblade", "Forfour", "Fortwo",
    "Roadster"};
inline constexpr std::array<std::string_view, 5> CarModels31{"Amulet", "B11", "Fora", "Sweet", "Tiggo"};
inline constexpr std::array<std::string_view, 7> CarModels32{"Aviator", "Continental", "LS", "Mark",
    "Mark VIII", "Navigator", "Town Car"};
inline constexpr std::array<std::string_view, 7> CarModels33{"Chairman", "Korando", "Kyron", "Musso",
    "Musso Sports", "Rexton", "Rodius"};
inline constexpr std::array<std::string_view, 28> CarModels34{"Alero", "Astro", "Avalanche", "Aveo",
    "Beretta", "Blazer", "Caprice", "Cavalier", "Cobalt", "Colorado", "Corsica", "Corvette", "Dat lanos",
    "Dat spark", "Epica", "Equinox", "Evanda", "HHR", "Impala", "Lacetti", "Lumina", "Malibu", "Montecarlo",
    "Rezzo", "Silverado", "SSR", "Suburban", "Tahoe"};
inline constexpr std::array<std::string_view, 4> CarModels35{"Elise", "Esprit", "Europa", "Exige"};
inline constexpr std::array<std::string_view, 11> CarModels36{"E-Wagon", "Forester", "Impreza", "Justy",
    "L-serie", "Legacy", "Outback", "SVX", "Tribeca", "Vivio", "XT"};
inline constexpr std::array<std::string_view, 19> CarModels37{"300C", "300M", "Aspen", "Crossfire", "Daytona",
    "Grand Voyager", "Le Baron", "Neon", "New Yorker", "Pacifica", "PT Cruiser", "Saratoga", "Sebring",
    "Stratus", "Town", "Country", "Viper", "Vision", "Voyager"};
inline constexpr std::array<std::string_view, 5> CarModels38{"3200 GT", "Coupe", "Ghibli", "Quattroporte",
    "Spyder"};
inline constexpr std::array<std::string_view, 16> CarModels39{"Alto", "Baleno", "Cappuccino", "Forenza",
    "Grand Vitara", "Ignis", "Jimny", "Liana", "Samurai", "Swift", "SX4", "Twin", "Verona", "Wagon",
    "Wagon R+", "X-90"};
inline constexpr std::array<std::string_view, 21> CarModels40{"AX", "Berlingo", "BX", "BX 14", "BX 16",
    "BX 19", "C1", "C2", "C3", "C4", "C5", "C6", "C8", "Evasion", "Jumper", "Saxo", "Xantia", "XM", "Xsara",
    "Xsara Picasso", "ZX"};
inline constexpr std::array<std::string_view, 2> CarModels41{"57", "62"};
inline constexpr std::array<std::string_view, 53> CarModels42{"4 Runner", "Alphard", "Avalon", "Avensis",
    "Avensis Verso", "Aygo", "Caldina", "Camry", "Carina", "Carina E", "Celica", "Corolla", "Corolla II",
    "Corolla Verso", "Corona SF", "Corsa", "Crown", "Crown Majesta", "Echo", "Harrier", "Hiace", "Highlander",
    "Hilux", "Land Cruiser", "Land Cruiser 100", "Land Cruiser 80", "Land Cruiser 90", "Land Cruiser Prado",
    "Mark II", "Matrix", "MR2", "Opa", "Paseo", "Picnic", "Prado", "Previa", "Prius", "Raum", "RAV4",
    "Sequoia", "Sienna", "Sienta", "Soarer", "Soarer", "Solara", "Starlet", "Supra", "Tacoma", "Tercel",
    "Tundra", "Will", "Yaris", "Yaris Verso"};
inline constexpr std::array<std::string_view, 10> CarModels43{"Espero", "Evanda", "Kalos", "Lacetti", "Lanos",
    "Leganza", "Matiz", "Nexia", "Nubira", "Tacuma"};
inline constexpr std::array<std::string_view, 23> CarModels44{"121", "2", "3", "323", "5", "6", "626", "929",
    "B-series", "CX-7", "CX-9", "Demio", "Millenia", "MPV", "MX-3", "MX-5", "MX-6", "Premacy", "RX-7", "RX-8",
    "Tribute", "Xedos 6", "Xedos 9"};
inline constexpr std::array<std::string_view, 8> CarModels45{"Cerbera", "Chimaera", "Griffith", "Sagaris",
    "T350", "T400", "T440", "Tuscan"};
inline constexpr std::array<std::string_view, 16> CarModels46{"Applause", "Charade", "Copen", "Cuore",
    "Extol", "Feroza", "Gran Move", "Max", "Mira", "Move", "Rocky", "Sirion", "Tanto", "Terios", "Valera",
    "YRV"};
inline constexpr std::array<std::string_view, 124> CarModels47{"190", "A 140", "A 150", "A 160", "A 170",
    "A 180", "A 190", "A 200", "A 210", "B 150", "B 170", "B 180", "B 200", "C 160", "C 180", "C 200",
    "C 220", "C 230", "C 240", "C 250", "C 270", "C 280", "C 300", "C 320", "C 350", "C Tuning", "CE 220",
    "CE 230", "CE 300", "CE 320", "CL 420", "CL 500", "CL 600", "CL Tuning", "CLK 200", "CLK 220", "CLK 230",
    "CLK 240", "CLK 270", "CLK 280", "CLK 320", "CLK 350", "CLK 430", "CLK 500", "CLK Tuning", "CLS 350",
    "CLS 500", "CLS Tuning", "CLS320", "E 200", "E 220", "E 230", "E 240", "E 250", "E 270", "E 280", "E 290",
    "E 300", "E 320", "E 350", "E 400", "E 420", "E 430", "E 500", "E Tuning", "G 230", "G 270", "G 290",
    "G 300", "G 320", "G 350", "G 400", "G 500", "G Tuning", "GL 320", "GL 420", "GL 450", "GL 500",
    "M Tuning", "ML 230", "ML 270", "ML 320", "ML 350", "ML 400", "ML 420", "ML 430", "ML 500", "ML Tuning",
    "R 280", "R 320", "R 350", "R 500", "R Tuning", "S 280", "S 300", "S 320", "S 350", "S 400", "S 420",
    "S 430", "S 500", "S 600", "S Tuning", "SL 280", "SL 320", "SL 350", "SL 500", "SL 600", "SL Tuning",
    "SLK 200", "SLK 230", "SLK 280", "SLK 320", "SLK 350", "SLK Tuning", "SLR", "Sprinter", "V 200", "V 220",
    "V 230", "V 280", "Vaneo", "Viano", "Vito"};
inline constexpr std::array<std::string_view, 25> CarModels48{"Beetle", "Bora", "Caddy", "Corrado",
    "Crosspolo", "Eos", "Fox", "Golf", "Golf 2", "Golf 3", "Golf 4", "Golf 5", "Jetta", "LT", "Lupo",
    "Multivan", "Passat", "Phaeton", "Pointer", "Polo", "Sharan", "Touareg", "Touran", "Transporter", "Vento"};
inline constexpr std::array<std::string_view, 8> CarModels49{"313101", "313102", "313105", "313120", "313130",
    "313140", "313150", "313170"};
inline constexpr std::array<std::string_view, 7> CarModels50{"Grand Marquis", "Mariner", "Montego",
    "Monterey", "Mountaineer", "Sable", "Villager"};
inline constexpr std::array<std::string_view, 21> CarModels51{"240", "340", "440", "460", "480", "740", "850",
    "940", "960", "C70", "S40", "S60", "S70", "S80", "S90", "V40", "V50", "V70", "V90", "XC70", "XC90"};
inline constexpr std::array<std::string_view, 17> CarModels52{"1500", "2500", "3500", "Caliber", "Caravan",
    "Charger", "Dakota", "Durango", "Grand Caravan", "Intrepid", "Magnum", "Neon", "Nitro", "Ram", "SRT4",
    "Stratus", "Viper"};
inline constexpr std::array<std::string_view, 9> CarModels53{"F", "RV8", "TF", "Xpower", "Xpower SV", "ZR",
    "ZS", "ZT", "ZT-T"};
inline constexpr std::array<std::string_view, 37> CarModels54{"11113", "21043", "21045", "2105", "21053",
    "21060", "21074", "2108", "21093i", "21099", "21101", "21102", "21104", "21106", "21108", "21112",
    "21114", "21120", "21121", "21122", "21123", "21124", "21128", "21130", "21140", "21150", "2120", "2121",
    "21213", "21214", "212180", "2131", "21310", "21312", "2329", "Kalina", "Priora"};
inline constexpr std::array<std::string_view, 1> CarModels55{"D8"};
inline constexpr std::array<std::string_view, 3> CarModels56{"Cooper", "Cooper S", "One"};
inline constexpr std::array<std::string_view, 6> CarModels57{"2345", "23452", "2346", "23464", "2347", "23472"};
inline constexpr std::array<std::string_view, 13> CarModels58{"348", "360", "360 Modena", "456", "599 gtb",
    "612 Scaglietti", "Enzo", "F355", "F430", "F50", "F512", "Maranello", "Superamerica"};
inline constexpr std::array<std::string_view, 25> CarModels59{"3000 GT", "Carisma", "Colt", "Diamante",
    "Eclipse", "Endeavor", "Galant", "Grandis", "L200", "Lancer", "Lancer Evolution IX",
    "Lancer Evolution VII", "Lancer Evolution VIII", "Montero", "Montero Sport", "Outlander", "Pajero",
    "Pajero Pinin", "Pajero Sport", "Raider", "Sigma", "Space Gear", "Space Runner", "Space Star",
    "Space Wagon"};
inline constexpr std::array<std::string_view, 12> CarModels60{"2217", "22171", "2705", "2752", "2752", "3102",
    "310221", "3110", "31105", "3111", "3221", "3302"};
inline constexpr std::array<std::string_view, 21> CarModels61{"600", "Barchetta", "Brava", "Bravo",
    "Cinquecento", "Coupe", "Croma", "Doblo", "Ducato", "Idea", "Marea", "Multipla", "Palio", "Panda",
    "Punto", "Seicento", "Stilo", "Tempra", "Tipo", "Ulysse", "Uno"};
inline constexpr std::array<std::string_view, 5> CarModels62{"4/4", "Aero 8", "Plus 4", "Plus 8", "Roadster"};
inline constexpr std::array<std::string_view, 4> CarModels63{"110207", "110218", "110307", "110308"};
inline constexpr std::array<std::string_view, 35> CarModels64{"Cougar", "Crown Victoria", "Edge", "Escape",
    "Escort", "Escort Cabrio", "Excursion", "Expedition", "Explorer", "F150", "Fiesta", "Five Hundred",
    "Focus", "Focus C-Max", "Freestar", "Freestyle", "Fusion", "Galaxy", "GT", "Ka", "Maverick", "Mondeo",
    "Mustang", "Orion", "Probe", "Puma", "S-max", "Scorpio", "Sierra XR 4X4 i", "street ka", "Superduty",
    "Taurus", "Thunderbird", "Tourneo Connect", "Transit"};
inline constexpr std::array<std::string_view, 31> CarModels65{"100", "200 SX", "300 ZX", "350Z", "Almera",
    "Almera Classic", "Almera Tino", "Altima", "Armada", "Cefiro", "Maxima", "Maxima QX", "Micra", "Murano",
    "Navara", "Note", "Pathfinder", "Patrol", "Primera", "Qashqai", "Quest", "Sentra", "Serena", "Skyline",
    "Sunny", "Teana", "Terrano", "Titan", "Versa", "X-Trail", "Xterra"};
inline constexpr std::array<std::string_view, 3> CarModels66{"325000", "325002M", "325010"};
inline constexpr std::array<std::string_view, 3> CarModels67{"Envoy", "Savana", "Yukon"};
inline constexpr std::array<std::string_view, 1> CarModels68{"M12 GTO"};
inline constexpr std::array<std::string_view, 5> CarModels69{"2126", "21261", "2717", "2717-30", "27175"};
inline constexpr std::array<std::string_view, 6> CarModels70{"Adventra", "caprice", "Commodore", "Cruze",
    "Monaro", "statesman"};
inline constexpr std::array<std::string_view, 19> CarModels71{"Agila", "Antara", "Astra", "Calibra", "Combo",
    "Corsa", "Frontera", "GT", "Kadett", "Meriva", "Monterey", "Omega", "Senator", "Signum", "Sintra",
    "Speedster", "Tigra", "Vectra", "Zafira"};
inline constexpr std::array<std::string_view, 3> CarModels72{"Hunter", "Patriot", "Simbir"};
inline constexpr std::array<std::string_view, 23> CarModels73{"Accord", "Civic", "Concerto", "CR-V", "CRX",
    "Element", "Fit", "FR-V", "HR-V", "Insight", "Integra", "Jazz", "Legend", "Logo", "NSX", "Odyssey",
    "Passport", "Pilot", "Prelude", "Ridgeline", "S2000", "Shuttle", "Stream"};
inline constexpr std::array<std::string_view, 20> CarModels74{"1007", "106", "107", "205", "206", "207",
    "306", "307", "309", "405", "406", "407", "505", "605", "607", "806", "807", "Boxer", "Expert", "Partner"};
inline constexpr std::array<std::string_view, 3> CarModels75{"H1", "H2", "H3"};
inline constexpr std::array<std::string_view, 8> CarModels76{"Aztec", "Bonneville", "Firebird", "Grand Prix",
    "Montana", "Sunfire", "Trans Sport", "Vibe"};
} // namespace detail

inline constexpr std::array<TCarModelEntry, CarMakeCount> CarModelEntries{{
    {1, detail::CarModels1}, {2, detail::CarModels2}, {3, detail::CarModels3}, {4, detail::CarModels4},
    {5, detail::CarModels5}, {6, detail::CarModels6}, {7, detail::CarModels7}, {8, detail::CarModels8},
    {9, detail::CarModels9}, {10, detail::CarModels10}, {11, detail::CarModels11}, {12, detail::CarModels12},
    {13, detail::CarModels13}, {14, detail::CarModels14}, {15, detail::CarModels15},
    {16, detail::CarModels16}, {17, detail::CarModels17}, {18, detail::CarModels18},
    {19, detail::CarModels19}, {20, detail::CarModels20}, {21, detail::CarModels21},
    {22, detail::CarModels22}, {23, detail::CarModels23}, {24, detail::CarModels24},
    {25, detail::CarModels25}, {26, detail::CarModels26}, {27, detail::CarModels27},
    {28, detail::CarModels28}, {29, detail::CarModels29}, {30, detail::CarModels30},
    {31, detail::CarModels31}, {32, detail::CarModels32}, {33, detail::CarModels33},
    {34, detail::CarModels34}, {35, detail::CarModels35}, {36, detail::CarModels36},
    {37, detail::CarModels37}, {38, detail::CarModels38}, {39, detail::CarModels39},
    {40, detail::CarModels40}, {41, detail::CarModels41}, {42, detail::CarModels42},
    {43, detail::CarModels43}, {44, detail::CarModels44}, {45, detail::CarModels45},
    {46, detail::CarModels46}, {47, detail::CarModels47}, {48, detail::CarModels48},
    {49, detail::CarModels49}, {50, detail::CarModels50}, {51, detail::CarModels51},
    {52, detail::CarModels52}, {53, detail::CarModels53}, {54, detail::CarModels54},
    {55, detail::CarModels55}, {56, detail::CarModels56}, {57, detail::CarModels57},
    {58, detail::CarModels58}, {59, detail::CarModels59}, {60, detail::CarModels60},
    {61, detail::CarModels61}, {62, detail::CarModels62}, {63, detail::CarModels63},
    {64, detail::CarModels64}, {65, detail::CarModels65}, {66, detail::CarModels66},
    {67, detail::CarModels67}, {68, detail::CarModels68}, {69, detail::CarModels69},
    {70, detail::CarModels70}, {71, detail::CarModels71}, {72, detail::CarModels72},
    {73, detail::CarModels73}, {74, detail::CarModels74}, {75, detail::CarModels75},
    {76, detail::CarModels76},
}};

// The model names of a make, in order; an empty span for an id outside 1..76.
constexpr std::span<const std::string_view> CarModelsOf(int makeId) {
    if (makeId < 1 || makeId > CarMakeCount) return {};
    return CarModelEntries[static_cast<std::size_t>(makeId - 1)].Models;
}

static_assert(CarModelEntries.size() == 76);
static_assert([] {
    for (std::size_t i = 0; i < CarModelEntries.size(); ++i)
        if (CarModelEntries[i].MakeId != static_cast<int>(i) + 1 || CarModelEntries[i].Models.empty())
            return false;
    return true;
}());
static_assert(std::ranges::equal(CarModelsOf(7), CarModelsOf(72)));

} // namespace search
