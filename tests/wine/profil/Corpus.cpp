#include "Corpus.h"

#include "support/Ansi.h"
#include "support/TexteSource.h"

#include <initializer_list>
#include <string_view>

namespace monvalor::profils {

using namespace std::string_literals;

namespace {

std::string Joindre(std::initializer_list<std::string_view> lignes, std::string_view fin) {
    std::string texte;
    for (const auto ligne : lignes) {
        texte.append(ligne);
        texte.append(fin);
    }
    return texte;
}

std::string Crlf(std::initializer_list<std::string_view> lignes) {
    return Joindre(lignes, "\r\n");
}

const std::string kDefaut(u8"<défaut>"_ansi);
const std::string kGeneral(u8"Général"_ansi);
const std::string kBom = "\xEF\xBB\xBF";

std::string Accents() {
    return Crlf({u8"[Général]"_ansi, u8"Langue=Français"_ansi, u8"Été=chaud"_ansi,
                 u8"Œuvre=œuvre"_ansi, u8"Šárka=š"_ansi, u8"Ÿvon=ÿ"_ansi, u8"Euro=12 €"_ansi,
                 u8"[ÉTÉ]"_ansi, u8"Clé=é"_ansi});
}

// A value of n characters that tells where it was cut.
std::string Long(std::size_t n) {
    std::string texte;
    for (std::size_t i = 0; texte.size() < n; ++i) {
        texte.append(std::to_string(i % 10000));
        texte.push_back('-');
    }
    texte.resize(n);
    return texte;
}

// A Windows-1252 text in UTF-16, little-endian or big-endian, behind its byte order mark.
std::string Utf16(std::string_view ansi, bool petitBoutiste) {
    std::string octets = petitBoutiste ? "\xFF\xFE" : "\xFE\xFF";
    for (const char c : ansi) {
        const auto code = CodeUnicode(static_cast<unsigned char>(c));
        const char fort = static_cast<char>(code >> 8);
        const char faible = static_cast<char>(code & 0xFF);
        octets.push_back(petitBoutiste ? faible : fort);
        octets.push_back(petitBoutiste ? fort : faible);
    }
    return octets;
}

Operation Lire(std::string_view fichier, std::string_view section, std::string_view cle,
               std::string_view defaut = kDefaut, std::size_t taille = 1000,
               Ecart ecart = Ecart::Aucun) {
    return {std::string(fichier),
            Genre::Lecture,
            std::string(section),
            std::string(cle),
            std::string(defaut),
            taille,
            ecart};
}

Operation Ecrire(std::string_view fichier, std::string_view section, std::string_view cle,
                 std::string_view valeur, Ecart ecart = Ecart::Aucun) {
    return {std::string(fichier),
            Genre::Ecriture,
            std::string(section),
            std::string(cle),
            std::string(valeur),
            0,
            ecart};
}

Operation Supprimer(std::string_view fichier, std::string_view section, std::string_view cle,
                    Ecart ecart = Ecart::Aucun) {
    return {std::string(fichier),
            Genre::Ecriture,
            std::string(section),
            std::string(cle),
            std::nullopt,
            0,
            ecart};
}

} // namespace

std::vector<Fixture> Fixtures() {
    const std::string simple = Crlf({"[s]", "k=v", "autre=deux"});
    return {
        {"absent", std::nullopt},
        {"vide", ""},
        {"blancs", "\r\n\r\n  \t \r\n\n"},
        {"simple", simple},
        {"sans_fin", "[s]\r\nk=v"},
        {"avant_section", Crlf({"orphelin=dehors", "k=avant", "[s]", "k=v"})},
        {"section_vide", Crlf({"[]", "k=vide", "[s]", "k=v"})},
        {"crochet_ouvert", Crlf({"[ouvert", "k=o", "[s]", "k=v", "[fin", "z"})},
        {"fin_cr", Joindre({"[s]", "k=v", "autre=deux", "[t]", "x=y"}, "\r")},
        {"fin_lf", Joindre({"[s]", "k=v", "autre=deux", "[t]", "x=y"}, "\n")},
        {"fin_mixte", "[s]\r\nk=v\na=b\rc=d\r\n[t]\nx=y\r\r\n[u]\n\rw=1"},
        {"sans_egal", Crlf({"[s]", "SansEgal", "k=v", "  deux mots  ", "[t]", "seul"})},
        {"nul", "[s]\r\nk=a\0b\r\nn\0m=v\r\n[t\0u]\r\nx=y\r\n\0\r\n[apres]\r\nz=1\r\n"s},
        {"guillemets", Crlf({"[s]", "double=\"cite\"", "simple='un'", "mixte=\"deux'", "seul=\"",
                             "vide=\"\"", "espaces=  \"  dedans  \"  ", "milieu=\"a\"b\"",
                             "dedans=a\"b\"", "interieur= ' x ' "})},
        {"doublons", Crlf({"[s]", "k=1", "K=2", "[t]", "x=t", "[S]", "k=3", "n=4", "[t]", "y=5"})},
        {"espaces",
         Crlf({"  [  s  ]  ", "  k  =  v  ", "\tt\t=\tw\t", "a b = c d", " [ t ]", " x = y "})},
        {"blancs_rares", Crlf({"[s]", "\vk\v=\vv\v", "\fl\f=\fw\f", "m=\xA0x\xA0"})},
        {"long_300", Crlf({"[s]", "k=" + Long(300), "[" + Long(300) + "]", "k=section longue"})},
        {"long_40000", Crlf({"[s]", "k=" + Long(40000), Long(32766) + "=cle longue"})},
        {"long_70000", Crlf({"[s]", "k=" + Long(70000), "n=apres", "; " + Long(70000), "m=fin"})},
        {"accents", Accents()},
        {"utf8_bom", kBom + AnsiVersUtf8(Accents())},
        {"utf8_sans_bom", AnsiVersUtf8(Accents())},
        {"casse", Crlf({"[MaSection]", "MaCle=v", u8"[ÀÉÎÕÜ]"_ansi, u8"ÇÑ=àéîõü"_ansi})},
        {"commentaires",
         Crlf({u8"; tête"_ansi, "[s]", ";k=cachee", "  ; k=cachee aussi", "k=v", "# diese=x",
               "[t] ; commentaire", "x=y ; pas un commentaire", ";[u]", "z=1"})},
        {"dechets", "[s]garbage\r\nk=v\r\n[t]]]\r\nx=1\r\n[u]\r\n\x1A\x1A\x01\x7F=\x02\r\n"
                    "\xFF\xFE\r\n"},
        {"sections_seules", "[a]\r\n[b]\r\n[c]"},
        {"cle_vide", Crlf({"[s]", "=valeur", " = ", "k="})},
        {"egal_multiples", Crlf({"[s]", "k==v", "a=b=c", "==", "[t]", "u=1"})},
        {"crochets", Crlf({"[a]b]", "k=1", "[ x ] y ]", "k=2", "[[z]]", "k=3"})},
        {"lecture_seule", simple, Sorte::LectureSeule},
        {"dossier_absent", std::nullopt, Sorte::DossierAbsent},
        {"sans_dossier", simple, Sorte::SansDossier},
        // "Привет" has no Windows-1252 bytes: its UTF-8 ones.
        {"utf8_cyrillique",
         kBom + Crlf({"[s]", "k=\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82", "a=b"})},
        {"bom_seul", kBom},
        {"zeros_a_la_fin", simple + std::string(1000, '\0')},
        {"utf16_le", Utf16(simple + Crlf({u8"[Été]"_ansi, u8"clé=é"_ansi}), true)},
        {"utf16_be", Utf16(simple, false)},
    };
}

std::vector<Operation> Operations() {
    const std::string general = kGeneral;
    return {
        // Missing and empty files.
        Lire("absent", "s", "k"),
        Lire("absent", "s", "k", "defaut avec espaces   "),
        Lire("absent", "s", "k", "defaut", 4),
        Lire("vide", "s", "k"),
        Lire("blancs", "s", "k", ""),
        Ecrire("absent", "s", "k", "v"),
        Supprimer("absent", "s", "k"),
        Ecrire("vide", "s", "k", "v"),
        Ecrire("blancs", "s", "k", "v"),
        // An ordinary file.
        Lire("simple", "s", "k"),
        Lire("simple", "s", "autre"),
        Lire("simple", "s", "absente"),
        Lire("simple", "s", "absente", ""),
        Lire("simple", "t", "k"),
        Lire("simple", "s", "autre", kDefaut, 3),
        Lire("simple", "s", "autre", kDefaut, 1),
        Ecrire("simple", "s", "k", "neuf"),
        Ecrire("simple", "s", "k", ""),
        Ecrire("simple", "s", "nouvelle", "n"),
        Ecrire("simple", "t", "k", "w"),
        Supprimer("simple", "s", "k"),
        Supprimer("simple", "s", "absente"),
        Ecrire("simple", "s", "k", "  entre espaces  "),
        Ecrire("simple", "s", "k", "\"entre guillemets\""),
        Ecrire("sans_fin", "s", "n", "w"),
        Ecrire("sans_fin", "s", "k", "w"),
        Lire("sans_fin", "s", "k"),
        // Keys before any section; a section without name; an unclosed header.
        Lire("avant_section", "", "orphelin", kDefaut, 1000, Ecart::HorsSection),
        Lire("avant_section", "s", "k"),
        Lire("avant_section", "s", "orphelin"),
        Ecrire("avant_section", "s", "orphelin", "x"),
        Lire("section_vide", "", "k", kDefaut, 1000, Ecart::HorsSection),
        Lire("section_vide", "s", "k"),
        Ecrire("section_vide", "s", "k", "w"),
        Lire("crochet_ouvert", "ouvert", "k"),
        Lire("crochet_ouvert", "s", "k"),
        Lire("crochet_ouvert", "fin", "z"),
        Ecrire("crochet_ouvert", "ouvert", "k", "w"),
        // Line ends.
        Lire("fin_cr", "s", "k"),
        Lire("fin_cr", "s", "autre"),
        Lire("fin_cr", "t", "x"),
        Ecrire("fin_cr", "s", "k", "w"),
        Ecrire("fin_cr", "t", "n", "w"),
        Lire("fin_lf", "s", "autre"),
        Lire("fin_lf", "t", "x"),
        Ecrire("fin_lf", "s", "autre", "w"),
        Ecrire("fin_lf", "t", "n", "w"),
        Lire("fin_mixte", "s", "a"),
        Lire("fin_mixte", "s", "c"),
        Lire("fin_mixte", "t", "x"),
        Lire("fin_mixte", "u", "w"),
        Ecrire("fin_mixte", "s", "a", "w"),
        Ecrire("fin_mixte", "u", "n", "w"),
        // Lines without '='.
        Lire("sans_egal", "s", "SansEgal"),
        Lire("sans_egal", "s", "k"),
        Lire("sans_egal", "s", "deux mots"),
        Lire("sans_egal", "t", "seul"),
        Ecrire("sans_egal", "s", "SansEgal", "w"),
        Supprimer("sans_egal", "t", "seul"),
        // NUL bytes.
        Lire("nul", "s", "k"),
        Lire("nul", "s", "n"),
        Lire("nul", "t", "x"),
        Lire("nul", "apres", "z"),
        Ecrire("nul", "apres", "z", "2"),
        Ecrire("nul", "s", "n", "w"),
        // Quotes.
        Lire("guillemets", "s", "double"),
        Lire("guillemets", "s", "simple"),
        Lire("guillemets", "s", "mixte"),
        Lire("guillemets", "s", "seul"),
        Lire("guillemets", "s", "vide"),
        Lire("guillemets", "s", "espaces"),
        Lire("guillemets", "s", "milieu"),
        Lire("guillemets", "s", "dedans"),
        Lire("guillemets", "s", "interieur"),
        Lire("guillemets", "s", "double", kDefaut, 4),
        Ecrire("guillemets", "s", "seul", "'x'"),
        // Sections and keys given twice.
        Lire("doublons", "s", "k"),
        Lire("doublons", "s", "n"),
        Lire("doublons", "t", "y"),
        Ecrire("doublons", "s", "k", "w"),
        Ecrire("doublons", "s", "n", "w"),
        Ecrire("doublons", "t", "y", "w"),
        Supprimer("doublons", "s", "k", Ecart::CleRepetee),
        // Spaces around names and values.
        Lire("espaces", "s", "k"),
        Lire("espaces", " s ", " k "),
        Lire("espaces", "s", "t"),
        Lire("espaces", "s", "a b"),
        Lire("espaces", "t", "x"),
        Ecrire("espaces", "s", "k", "w"),
        Ecrire("espaces", "  s  ", "  k  ", "  w  "),
        Ecrire("espaces", " neuve ", " n ", "v"),
        Lire("blancs_rares", "s", "k"),
        Lire("blancs_rares", "s", "l"),
        Lire("blancs_rares", "s", "m"),
        // Long values and lines.
        Lire("long_300", "s", "k"),
        Lire("long_300", "s", "k", kDefaut, 256),
        Lire("long_300", Long(300), "k"),
        Lire("long_40000", "s", "k", kDefaut, 50000),
        Lire("long_40000", "s", Long(32766), kDefaut, 100),
        Lire("long_40000", "s", "k", kDefaut, 32767),
        Lire("long_70000", "s", "k", kDefaut, 80000),
        Lire("long_70000", "s", "n"),
        Lire("long_70000", "s", "m"),
        Lire("long_70000", "s", "k", kDefaut, 65536),
        // (Wine's own functions read past their buffers when handed a name or a value of 32 767
        // characters or more: the longest ones written stay below.)
        Ecrire("long_70000", "s", "n", "court"),
        Ecrire("long_70000", "s", "k", Long(32766)),
        Ecrire("simple", "s", "k", Long(32766)),
        Ecrire("simple", Long(300), Long(300), Long(300)),
        // Windows-1252 accents, and the same file as UTF-8.
        Lire("accents", general, "Langue"),
        Lire("accents", u8"GÉNÉRAL"_ansi, u8"langue"_ansi, kDefaut, 1000, Ecart::CasseAccents),
        Lire("accents", general, u8"été"_ansi, kDefaut, 1000, Ecart::CasseAccents),
        Lire("accents", general, u8"œuvre"_ansi, kDefaut, 1000, Ecart::CasseAccents),
        Lire("accents", general, u8"ŠÁRKA"_ansi, kDefaut, 1000, Ecart::CasseAccents),
        Lire("accents", general, u8"ÿvon"_ansi, kDefaut, 1000, Ecart::CasseAccents),
        Lire("accents", general, "euro"),
        Lire("accents", u8"été"_ansi, u8"clé"_ansi, kDefaut, 1000, Ecart::CasseAccents),
        Ecrire("accents", general, u8"Nouvelle clé"_ansi, u8"àçè"_ansi),
        Ecrire("accents", u8"ÉTÉ"_ansi, u8"CLÉ"_ansi, u8"ÉÉ"_ansi, Ecart::CasseAccents),
        Lire("utf8_bom", general, "Langue"),
        Lire("utf8_bom", u8"été"_ansi, u8"clé"_ansi, kDefaut, 1000, Ecart::CasseAccents),
        Lire("utf8_bom", general, "euro"),
        Ecrire("utf8_bom", general, "Langue", u8"Élève"_ansi),
        Lire("utf8_sans_bom", general, "Langue", kDefaut, 1000, Ecart::Utf8SansBom),
        Lire("utf8_sans_bom", u8"été"_ansi, u8"clé"_ansi, kDefaut, 1000, Ecart::Utf8SansBom),
        Lire("utf8_sans_bom", u8"Général"_ansi, "euro", kDefaut, 1000, Ecart::Utf8SansBom),
        Ecrire("utf8_sans_bom", general, "Langue", u8"Élève"_ansi, Ecart::Utf8SansBom),
        // Letter case.
        Lire("casse", "masection", "MACLE"),
        Lire("casse", u8"àéîõü"_ansi, u8"çñ"_ansi, kDefaut, 1000, Ecart::CasseAccents),
        Ecrire("casse", "MASECTION", "macle", "w"),
        Supprimer("casse", u8"àéîõü"_ansi, u8"çñ"_ansi, Ecart::CasseAccents),
        // Comments.
        Lire("commentaires", "s", "k"),
        Lire("commentaires", "s", ";k", kDefaut, 1000, Ecart::Commentaire),
        Lire("commentaires", "s", "# diese"),
        Lire("commentaires", "t", "x"),
        Lire("commentaires", "t", "z"),
        Lire("commentaires", "u", "z"),
        Ecrire("commentaires", "s", "k", "w"),
        Ecrire("commentaires", "t", "n", "w"),
        // Trailing garbage.
        Lire("dechets", "s", "k"),
        Lire("dechets", "t", "x"),
        Lire("dechets", "u", "\x1A\x1A\x01\x7F"),
        Ecrire("dechets", "u", "n", "w"),
        Ecrire("dechets", "t", "x", "2"),
        Lire("sections_seules", "c", "k"),
        Ecrire("sections_seules", "c", "k", "v"),
        Ecrire("sections_seules", "a", "k", "v"),
        // Brackets inside headers.
        Lire("crochets", "a]b", "k"),
        Lire("crochets", "a", "k"),
        Lire("crochets", "x ] y", "k"),
        Lire("crochets", "[z]", "k"),
        Ecrire("crochets", "x ] y", "k", "w"),
        // Files that cannot be written, and a bare file name.
        Lire("lecture_seule", "s", "k"),
        Ecrire("lecture_seule", "s", "k", "w", Ecart::LectureSeule),
        Supprimer("lecture_seule", "s", "k", Ecart::LectureSeule),
        Lire("dossier_absent", "s", "k"),
        Ecrire("dossier_absent", "s", "k", "w"),
        Lire("sans_dossier", "s", "k"),
        Ecrire("sans_dossier", "s", "n", "w"),
        Supprimer("sans_dossier", "s", "k"),
        // Other encodings and endings.
        Lire("utf8_cyrillique", "s", "k"),
        Lire("utf8_cyrillique", "s", "a"),
        Ecrire("utf8_cyrillique", "s", "a", u8"ç"_ansi),
        Ecrire("utf8_cyrillique", "t", "n", "w"),
        Ecrire("bom_seul", "s", "k", u8"é"_ansi),
        Lire("zeros_a_la_fin", "s", "k"),
        Ecrire("zeros_a_la_fin", "s", "n", "w"),
        Ecrire("zeros_a_la_fin", "t", "n", "w"),
        Lire("utf16_le", "s", "k"),
        Lire("utf16_le", u8"Été"_ansi, u8"clé"_ansi),
        Ecrire("utf16_le", "s", "k", "w", Ecart::EcritureUtf16),
        Lire("utf16_be", "s", "autre"),
        // Buffers and defaults.
        Lire("simple", "s", "k", kDefaut, 0),
        Lire("simple", "s", "k", kDefaut, 2),
        Lire("absent", "s", "k", "defaut\t "),
        Lire("absent", "s", "k", "   ", 1000, Ecart::DefautBlanc),
        // Empty names, repeated '='.
        Lire("cle_vide", "s", ""),
        Lire("cle_vide", "s", "k"),
        Ecrire("cle_vide", "s", "k", "w"),
        Lire("egal_multiples", "s", "k"),
        Lire("egal_multiples", "s", "a"),
        Ecrire("egal_multiples", "s", "a", "=x="),
        // What our engine refuses to write, since it would be read back as something else.
        Ecrire("simple", "s", "k", "a\r\nb=c", Ecart::Refus),
        Ecrire("simple", "s", "k", "a\nb", Ecart::Refus),
        Ecrire("simple", "s", std::string_view("k\0x", 3), "v", Ecart::Refus),
        Ecrire("simple", "a]b", "k", "v"),
        Ecrire("simple", "s", "a=b", "v", Ecart::Refus),
        Ecrire("simple", "s", "[k", "v", Ecart::Refus),
        Ecrire("simple", "s", ";k", "v", Ecart::Refus),
    };
}

} // namespace monvalor::profils
