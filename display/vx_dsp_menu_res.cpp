// The menu resource "PONDSPRINT" in seven languages, carried in the program as tables, and the language ids that select them.
#include <array>
#include <cctype>
#include <cstring>

#include "display/vx_dsp_menu.h"

namespace {

using L = VX_MENU_RES_LINE;
constexpr VX_MENU_RES_KIND P = VX_RES_POPUP;
constexpr VX_MENU_RES_KIND I = VX_RES_ITEM;
constexpr VX_MENU_RES_KIND S = VX_RES_SEPARATOR;

// The texts of one language's menu.
struct Texts {
  const char *game, *language, *back, *exit, *display, *lowres, *highres, *toggle, *colours, *default_size,
      *resolution, *sound, *music, *effects, *quality, *low, *medium, *high, *help, *topics, *about;
};

constexpr int kLines = 28;
using Menu = std::array<L, kLines>;

// Every language has the same shape, which the descriptor's positions rely
// on: Game (Language popup at 0), Display (Change Resolution at 7), Sound,
// Help. 59999 holds the popups the program fills.
constexpr Menu make_menu(const Texts& t) {
  return {{
      {0, P, 0, t.game},
      {1, P, 0, t.language},
      {2, I, VX_CMD_PLACEHOLDER, "-"},
      {1, I, VX_CMD_BACK_TO_GAME, t.back},
      {1, S, 0, ""},
      {1, I, VX_CMD_EXIT, t.exit},
      {0, P, 0, t.display},
      {1, I, VX_CMD_LOWRES, t.lowres},
      {1, I, VX_CMD_HIGHRES, t.highres},
      {1, I, VX_CMD_TOGGLE, t.toggle},
      {1, S, 0, ""},
      {1, I, VX_CMD_256_COLOURS, t.colours},
      {1, I, VX_CMD_DEFAULT_SIZE, t.default_size},
      {1, S, 0, ""},
      {1, P, 0, t.resolution},
      {2, I, VX_CMD_PLACEHOLDER, "-"},
      {0, P, 0, t.sound},
      {1, I, VX_CMD_DIGITAL_MUSIC, t.music},
      {1, I, VX_CMD_SOUND_EFFECTS, t.effects},
      {1, S, 0, ""},
      {1, P, 0, t.quality},
      {2, I, VX_CMD_QUALITY_LOW, t.low},
      {2, I, VX_CMD_QUALITY_MEDIUM, t.medium},
      {2, I, VX_CMD_QUALITY_HIGH, t.high},
      {0, P, 0, t.help},
      {1, I, VX_CMD_HELP_TOPICS, t.topics},
      {1, S, 0, ""},
      {1, I, VX_CMD_ABOUT, t.about},
  }};
}

constexpr Menu kEnglish = make_menu({
    "&Game", "&Language", "&Back to Game", "E&xit\tAlt+F4", "&Display", "&Low-res Fullscreen",
    "&High-res Fullscreen", "&Fullscreen / Window\tF4", "256 &Colors (Faster)", "&Default Size",
    "Change &Resolution", "&Sound", "&Digital Music\tF2", "Sound &Effects\tF3", "Music &Quality", "&Low",
    "&Medium", "&High", "&Help", "&Help Topics\tF1", "&About..."});

constexpr Menu kFrench = make_menu({
    "&Jeu", "&Langue", "&Retour au jeu", "&Quitter\tAlt+F4", "&Affichage", "Plein écran &basse résolution",
    "Plein écran &haute résolution", "&Plein écran / Fenêtre\tF4", "256 &couleurs (plus rapide)",
    "Taille par &défaut", "Changer la &résolution", "&Son", "&Musique numérique\tF2", "&Effets sonores\tF3",
    "&Qualité de la musique", "&Basse", "&Moyenne", "&Haute", "A&ide", "&Rubriques d'aide\tF1",
    "À &propos..."});

constexpr Menu kSpanish = make_menu({
    "&Juego", "&Idioma", "&Volver al juego", "&Salir\tAlt+F4", "&Pantalla", "Pantalla completa &baja resolución",
    "Pantalla completa &alta resolución", "Pantalla &completa / Ventana\tF4", "256 c&olores (más rápido)",
    "Tamaño &predeterminado", "Cambiar &resolución", "&Sonido", "&Música digital\tF2",
    "&Efectos de sonido\tF3", "&Calidad de la música", "&Baja", "&Media", "&Alta", "A&yuda",
    "&Temas de ayuda\tF1", "&Acerca de..."});

constexpr Menu kGerman = make_menu({
    "&Spiel", "S&prache", "&Zurück zum Spiel", "&Beenden\tAlt+F4", "&Anzeige", "Vollbild &niedrige Auflösung",
    "Vollbild &hohe Auflösung", "&Vollbild / Fenster\tF4", "256 &Farben (schneller)", "&Standardgröße",
    "Auflösung ä&ndern", "S&ound", "&Digitale Musik\tF2", "Sound&effekte\tF3", "Musik&qualität", "&Niedrig",
    "&Mittel", "&Hoch", "&Hilfe", "&Hilfethemen\tF1", "&Info..."});

constexpr Menu kItalian = make_menu({
    "&Gioco", "&Lingua", "&Torna al gioco", "&Esci\tAlt+F4", "&Schermo", "Schermo intero &bassa risoluzione",
    "Schermo intero &alta risoluzione", "Schermo &intero / Finestra\tF4", "256 &colori (più veloce)",
    "Dimensione &predefinita", "Cambia &risoluzione", "&Audio", "&Musica digitale\tF2",
    "&Effetti sonori\tF3", "&Qualità musica", "&Bassa", "&Media", "&Alta", "A&iuto",
    "&Argomenti della guida\tF1", "&Informazioni su..."});

constexpr Menu kPortuguese = make_menu({
    "&Jogo", "&Idioma", "&Voltar ao jogo", "&Sair\tAlt+F4", "&Ecrã", "Ecrã inteiro &baixa resolução",
    "Ecrã inteiro &alta resolução", "Ecrã &inteiro / Janela\tF4", "256 &cores (mais rápido)",
    "Tamanho &predefinido", "Alterar &resolução", "S&om", "&Música digital\tF2", "&Efeitos sonoros\tF3",
    "&Qualidade da música", "&Baixa", "&Média", "&Alta", "A&juda", "&Tópicos de ajuda\tF1", "&Acerca de..."});

constexpr Menu kJapanese = make_menu({
    "ゲーム(&G)", "言語(&L)", "ゲームに戻る(&B)", "終了(&X)\tAlt+F4", "表示(&D)", "低解像度フルスクリーン(&L)",
    "高解像度フルスクリーン(&H)", "フルスクリーン/ウィンドウ(&F)\tF4", "256色(高速)(&C)", "標準サイズ(&D)",
    "解像度の変更(&R)", "サウンド(&S)", "デジタル音楽(&M)\tF2", "効果音(&E)\tF3", "音楽の品質(&Q)", "低(&L)",
    "中(&M)", "高(&H)", "ヘルプ(&H)", "ヘルプ トピック(&H)\tF1", "バージョン情報(&A)..."});

// Windows language ids: primary language | sub-language << 10.
constexpr uint16_t lang_id(uint16_t primary, uint16_t sub) { return static_cast<uint16_t>(primary | (sub << 10)); }

const std::array<VX_MENU_RESOURCE, 7> kResources = {{
    {"PONDSPRINT", lang_id(9, 1), kEnglish.data(), kLines},
    {"PONDSPRINT", lang_id(12, 1), kFrench.data(), kLines},
    {"PONDSPRINT", lang_id(10, 1), kSpanish.data(), kLines},
    {"PONDSPRINT", lang_id(7, 1), kGerman.data(), kLines},
    {"PONDSPRINT", lang_id(16, 1), kItalian.data(), kLines},
    {"PONDSPRINT", lang_id(22, 2), kPortuguese.data(), kLines},
    {"PONDSPRINT", lang_id(17, 1), kJapanese.data(), kLines},
}};

// The game's languages in the order of their codes; a language is known by
// any of its abbreviations.
struct LanguageCode {
  uint16_t primary, sub;
  std::array<const char*, 4> abbreviations;
};
constexpr std::array<LanguageCode, 7> kCodes = {{
    {9, 1, {"eng", "en", "usa", "us"}},
    {12, 1, {"fra", "fre", "fr", nullptr}},
    {10, 1, {"spa", "esp", "es", nullptr}},
    {7, 1, {"ger", "deu", "de", nullptr}},
    {16, 1, {"ita", "it", nullptr, nullptr}},
    {22, 2, {"por", "pt", "prt", nullptr}},
    {17, 1, {"jpn", "jap", "ja", nullptr}},
}};

int same_blind(const char* a, const char* b) {
  for (; *a && *b; a++, b++)
    if (std::tolower(static_cast<unsigned char>(*a)) != std::tolower(static_cast<unsigned char>(*b))) return 0;
  return *a == *b;
}

}  // namespace

const VX_MENU_RESOURCE* vx_dsp_menu_resource(const char* name, uint16_t language) {
  if (!name) return nullptr;
  for (const VX_MENU_RESOURCE& r : kResources)
    if (r.language == language && same_blind(r.name, name)) return &r;
  return nullptr;
}

int vx_dsp_menu_resource_count() { return static_cast<int>(kResources.size()); }

const VX_MENU_RESOURCE* vx_dsp_menu_resource_at(int index) {
  if (index < 0 || index >= vx_dsp_menu_resource_count()) return nullptr;
  return &kResources[static_cast<size_t>(index)];
}

uint16_t vx_dsp_menu_language_id(const VX_LANGUAGE* language, int index) {
  if (!language) return lang_id(9, 1);
  for (const LanguageCode& c : kCodes)
    for (const char* a : c.abbreviations)
      if (a && same_blind(a, language->abbreviation)) return lang_id(c.primary, c.sub);
  // A language without an abbreviation is known by its position.
  if (!language->abbreviation[0] && index >= 0 && index < static_cast<int>(kCodes.size())) {
    const LanguageCode& c = kCodes[static_cast<size_t>(index)];
    return lang_id(c.primary, c.sub);
  }
  return 0;
}
