#include "foundation/Dateitypen.h"

namespace kiro {

using namespace Qt::Literals::StringLiterals;

std::array<TDateiTypensDef, DateiTypAnzahl> DateiTypenTabelle = {{
    // Basis, PreSuffix, Suffix, Klartext, Dialogtext, DateiVersion, MinDateiVersion, ExeDateiVersion,
    // TypKuerzel, XML, Umfang, InstAuswahl
    {true, u""_s, u"st2"_s, u"Gleisplan"_s, u"*.st2"_s, u"A.1"_s, u"A.1"_s, u"A.1"_s, u"Gleisplan"_s, true, 0x005D, 0x0C},  // 0
    {true, u""_s, u"st3"_s, u"Strecke"_s, u"*.st3"_s, u"A.5"_s, u"A.1"_s, u"A.1"_s, u"Strecke"_s, true, 0x007D, 0x0C},  // 1
    {false, u""_s, u"ls3"_s, u"3D-Objekt"_s, u"*.ls3"_s, u"A.2"_s, u"A.1"_s, u"A.2"_s, u"Landschaft"_s, true, 0x007F, 0x0C},  // 2
    {true, u"lod"_s, u"lod.ls3"_s, u"3D-LOD-Objekt"_s, u"*.lod.ls3"_s, u"A.2"_s, u"A.1"_s, u"A.2"_s, u"Landschaft"_s, true, 0x007F, 0x0C},  // 3
    {false, u"lod0"_s, u"lod0.ls3"_s, u"3D-Objekt (LOD0)"_s, u"*.lod0.ls3"_s, u"A.2"_s, u"A.1"_s, u"A.2"_s, u"Landschaft"_s, true, 0x007F, 0x0C},  // 4
    {false, u"lod1"_s, u"lod1.ls3"_s, u"3D-Objekt (LOD1)"_s, u"*.lod1.ls3"_s, u"A.2"_s, u"A.1"_s, u"A.2"_s, u"Landschaft"_s, true, 0x007F, 0x0C},  // 5
    {false, u"lod2"_s, u"lod2.ls3"_s, u"3D-Objekt (LOD2)"_s, u"*.lod2.ls3"_s, u"A.2"_s, u"A.1"_s, u"A.2"_s, u"Landschaft"_s, true, 0x007F, 0x0C},  // 6
    {false, u"lod3"_s, u"lod3.ls3"_s, u"3D-Objekt (LOD3)"_s, u"*.lod3.ls3"_s, u"A.2"_s, u"A.1"_s, u"A.2"_s, u"Landschaft"_s, true, 0x007F, 0x0C},  // 7
    {true, u""_s, u"ftd"_s, u"Führerstand"_s, u"*.ftd"_s, u"A.8"_s, u"A.1"_s, u"A.8"_s, u"Fuehrerstand"_s, true, 0x001D, 0x0C},  // 8
    {true, u"rv"_s, u"rv.fzg"_s, u"Fahrzeug"_s, u"*.rv.fzg; *.link.txt"_s, u"A.7"_s, u"A.1"_s, u"A.7"_s, u"Fahrzeug"_s, true, 0x001D, 0x0C},  // 9
    {false, u""_s, u"fzg"_s, u"Fahrzeugkomponente"_s, u"*.fzg; *.link.txt"_s, u"A.8"_s, u"A.1"_s, u"A.8"_s, u"Fahrzeug"_s, true, 0x001D, 0x0C},  // 10
    {false, u""_s, u"trn"_s, u"Zug"_s, u"*.trn"_s, u"A.5"_s, u"A.1"_s, u"A.5"_s, u"Zug"_s, true, 0x001D, 0x03},  // 11
    {true, u""_s, u"fpn"_s, u"Fahrplan"_s, u"*.fpn"_s, u"A.5"_s, u"A.1"_s, u"A.5"_s, u"Fahrplan"_s, true, 0x003D, 0x03},  // 12
    {false, u""_s, u"zup"_s, u"Programmupdate"_s, u"*.zup"_s, u"A.0"_s, u"A.0"_s, u"A.1"_s, u"zup"_s, false, 0x007D, 0x0F},  // 13
    {true, u""_s, u"mfa"_s, u"KiroAnzeige-Datei"_s, u"*.mfa"_s, u"A.1"_s, u"A.1"_s, u"A.1"_s, u"mfa"_s, true, 0x0015, 0x00},  // 14
    {false, u""_s, u"xml"_s, u"xml-Datei"_s, u"*.xml"_s, u"A.0"_s, u"A.0"_s, u"A.0"_s, u"xml"_s, true, 0x007F, 0x0F},  // 15
    {false, u""_s, u"dds"_s, u"dds-Textur"_s, u"*.dds"_s, u""_s, u""_s, u"A.0"_s, u"dds"_s, false, 0x007F, 0x0C},  // 16
    {false, u""_s, u"wav"_s, u"wav-Sound"_s, u"*.wav"_s, u""_s, u""_s, u"A.0"_s, u"wav"_s, false, 0x007D, 0x0C},  // 17
    {false, u""_s, u"dem"_s, u"Gelände-Höhenmodell"_s, u"*.dem"_s, u""_s, u""_s, u"A.0"_s, u"dem"_s, false, 0x007D, 0x0C},  // 18
    {false, u""_s, u"trf"_s, u"Georeferenziertes Bild"_s, u"*.trf"_s, u""_s, u""_s, u"A.0"_s, u"trf"_s, false, 0x007D, 0x0C},  // 19
    {false, u""_s, u"png"_s, u"png-Grafik"_s, u"*.png"_s, u""_s, u""_s, u"A.0"_s, u"png"_s, false, 0x007D, 0x0C},  // 20
    {true, u"turnout"_s, u"turnout.xml"_s, u"Weiche"_s, u"*.turnout.xml"_s, u"A.1"_s, u"A.0"_s, u"A.1"_s, u"Gleisplan"_s, true, 0x005D, 0x0C},  // 21
    {true, u"signal"_s, u"signal.xml"_s, u"Signal"_s, u"*.signal.xml"_s, u"A.4"_s, u"A.1"_s, u"A.4"_s, u"Signal"_s, true, 0x007D, 0x0C},  // 22
    {true, u"shape"_s, u"shape.xml"_s, u"Formkurve"_s, u"*.shape.xml"_s, u"A.1"_s, u"A.0"_s, u"A.1"_s, u"Formkurve"_s, true, 0x007D, 0x0C},  // 23
    {true, u"platform"_s, u"platform.xml"_s, u"Bahnsteig"_s, u"*.platform.xml"_s, u"A.1"_s, u"A.0"_s, u"A.1"_s, u"Platform"_s, true, 0x007D, 0x0C},  // 24
    {true, u"retainingwall"_s, u"retainingwall.xml"_s, u"Stützmauer"_s, u"*.retainingwall.xml"_s, u"A.1"_s, u"A.0"_s, u"A.1"_s, u"RetainingWall"_s, true, 0x007D, 0x0C},  // 25
    {true, u"forest"_s, u"forest.xml"_s, u"Wald"_s, u"*.forest.xml"_s, u"A.1"_s, u"A.1"_s, u"A.1"_s, u"Forest"_s, true, 0x007D, 0x0C},  // 26
    {true, u"material"_s, u"material.xml"_s, u"Material"_s, u"*.material.xml"_s, u"A.1"_s, u"A.0"_s, u"A.1"_s, u"Material"_s, true, 0x007D, 0x0C},  // 27
    {false, u"switchgen"_s, u"switchgen.xml"_s, u"Weichengenerator"_s, u"*.switchgen.xml"_s, u"A.1"_s, u"A.0"_s, u"A.1"_s, u"switchgen"_s, true, 0x007D, 0x0C},  // 28
    {false, u"input"_s, u"input.xml"_s, u"Tastaturlayout"_s, u"*.input.xml"_s, u"A.1"_s, u"A.0"_s, u"A.0"_s, u"Input"_s, true, 0x003D, 0x03},  // 29
    {false, u"joystick"_s, u"joystick.xml"_s, u"Joysticklayout"_s, u"*.joystick.xml"_s, u"A.1"_s, u"A.0"_s, u"A.0"_s, u"Joystick"_s, true, 0x003D, 0x03},  // 30
    {false, u"raildriver"_s, u"raildriver.xml"_s, u"Raildriver-Layout"_s, u"*.raildriver.xml"_s, u"A.1"_s, u"A.0"_s, u"A.0"_s, u"Raildriver"_s, true, 0x003F, 0x03},  // 31
    {false, u""_s, u"pdf"_s, u"pdf-Datei"_s, u"*.pdf"_s, u""_s, u""_s, u"A.0"_s, u"pdf"_s, false, 0x007D, 0x03},  // 32
    {true, u"script"_s, u"script.xml"_s, u"Verwaltungs-Script"_s, u"*.script.xml"_s, u"A.2"_s, u"A.0"_s, u"A.2"_s, u"VerwaltungsScript"_s, true, 0x007D, 0x0F},  // 33
    {true, u"kiro2files"_s, u"kiro2files.xml"_s, u"Kiro 2-Massentausch"_s, u"*.kiro2files.xml"_s, u"A.1"_s, u"A.0"_s, u"A.1"_s, u"Kiro2Tausch"_s, true, 0x007D, 0x0C},  // 34
    {false, u""_s, u"exe"_s, u"Anwendung"_s, u"*.exe"_s, u""_s, u""_s, u"A.0"_s, u"exe"_s, false, 0x007D, 0x0F},  // 35
    {true, u"link"_s, u"link.txt"_s, u"Kiro-Link"_s, u"*.link.txt"_s, u""_s, u""_s, u"A.0"_s, u"link.txt"_s, false, 0x007D, 0x0F},  // 36
    {false, u""_s, u"txt"_s, u"Textdatei"_s, u"*.txt"_s, u""_s, u""_s, u"A.0"_s, u"link.txt"_s, false, 0x007D, 0x0F},  // 37
    {false, u""_s, u"x"_s, u"x-Datei"_s, u"*.x"_s, u""_s, u""_s, u"A.0"_s, u"x"_s, false, 0x007F, 0x0C},  // 38
    {false, u""_s, u"ls"_s, u"Weitere 3D-Dateien"_s, u"*.ls; *.x; *.b3d"_s, u""_s, u""_s, u"A.0"_s, u"ls"_s, false, 0x007D, 0x0C},  // 39
    {false, u""_s, u"csv"_s, u"Textdatei mit Tabulator"_s, u"*.csv"_s, u""_s, u""_s, u"A.0"_s, u"csv"_s, false, 0x007D, 0x0F},  // 40
    {false, u""_s, u"tga"_s, u"DirectX-kompatible Textur"_s, u"*.tga; *.bmp; *.png; *.dib; *.jpg; *.dds"_s, u""_s, u""_s, u"A.0"_s, u"dds"_s, false, 0x007F, 0x0C},  // 41
    {false, u""_s, u"htm"_s, u"html-Datei"_s, u"*.htm"_s, u""_s, u""_s, u""_s, u"htm"_s, false, 0x007D, 0x03},  // 42
    {false, u""_s, u"*"_s, u"Alle Dateien"_s, u"*.*"_s, u""_s, u""_s, u""_s, u"*"_s, false, 0x007F, 0x0F},  // 43
    {false, u""_s, u"7z"_s, u"Sevenzip-Archiv"_s, u"*.7z"_s, u""_s, u""_s, u""_s, u"7z"_s, false, 0x0000, 0x0F},  // 44
    {true, u"levelcrossing"_s, u"levelcrossing.xml"_s, u"Bahnübergang"_s, u"*.levelcrossing.xml"_s, u"A.1"_s, u"A.0"_s, u"A.1"_s, u"levelcrossing"_s, true, 0x007D, 0x0C},  // 45
    {false, u"timetable"_s, u"timetable.xml"_s, u"Buchfahrplan"_s, u"*.timetable.xml"_s, u"A.6"_s, u"A.0"_s, u"A.6"_s, u"Buchfahrplan"_s, true, 0x007D, 0x03},  // 46
    {false, u"authority"_s, u"authority.xml"_s, u"Befehlskonfiguration"_s, u"*.authority.xml"_s, u"A.1"_s, u"A.0"_s, u"A.1"_s, u"authority"_s, true, 0x007D, 0x0F},  // 47
    {false, u"result"_s, u"result.xml"_s, u"Fahrtergebnis"_s, u"*.result.xml"_s, u"A.2"_s, u"A.0"_s, u"A.2"_s, u"result"_s, true, 0x007D, 0x03},  // 48
    {true, u"gpa"_s, u"gpa.xml"_s, u"GPA-Konfiguration"_s, u"*.gpa.xml"_s, u"A.1"_s, u"A.0"_s, u"A.1"_s, u"GPA"_s, true, 0x007D, 0x0C},  // 49
    {false, u"font"_s, u"font.xml"_s, u"Schriftsatz"_s, u"*.font.xml"_s, u"A.1"_s, u"A.0"_s, u"A.1"_s, u"Font"_s, true, 0x007D, 0x0C},  // 50
    {false, u""_s, u"bmp"_s, u"bmp-Grafik"_s, u"*.bmp"_s, u""_s, u""_s, u"A.0"_s, u"bmp"_s, false, 0x007D, 0x0F},  // 51
    {false, u""_s, u"lsb"_s, u"Binäre ls3-Daten"_s, u"*.lsb"_s, u""_s, u""_s, u"A.0"_s, u"lsb"_s, false, 0x007F, 0x0C},  // 52
    {false, u"trn"_s, u"trn.xml"_s, u"Zugverband"_s, u"*.trn.xml"_s, u"A.5"_s, u"A.0"_s, u"A.5"_s, u"FahrzeugVarianten"_s, true, 0x007D, 0x03},  // 53
    {true, u"travellers"_s, u"travellers.xml"_s, u"Reisende"_s, u"*.travellers.xml"_s, u"A.1"_s, u"A.0"_s, u"A.1"_s, u"travellers"_s, true, 0x007D, 0x0C},  // 54
    {false, u"author"_s, u"author.xml"_s, u"Autorendatei"_s, u"*.author.xml"_s, u"A.1"_s, u"A.0"_s, u"A.1"_s, u"author"_s, true, 0x007F, 0x0F},  // 55
    {false, u"signals"_s, u"signals.xml"_s, u"Diverse Signale"_s, u"*.signals.xml"_s, u"A.4"_s, u"A.1"_s, u"A.4"_s, u"Signals"_s, true, 0x007D, 0x0C},  // 56
    {false, u""_s, u"tif"_s, u"Buchfahrplan-Bitmaps"_s, u"*.bmp; *.tif; *.png; *.jpg"_s, u""_s, u""_s, u"A.0"_s, u"dds"_s, false, 0x007F, 0x03},  // 57
    {false, u"output"_s, u"output.xml"_s, u"Ausgabekonfiguration"_s, u"*.output.xml"_s, u"A.1"_s, u"A.0"_s, u"A.0"_s, u"Output"_s, true, 0x003D, 0x00},  // 58
    {false, u""_s, u"za7"_s, u"Add-On"_s, u"*.za7"_s, u"A.0"_s, u"A.0"_s, u"A.1"_s, u"za7"_s, false, 0x007D, 0x0F},  // 59
    {false, u"fahrplansammlung"_s, u"fahrplansammlung.xml"_s, u"Fahrplansammlung"_s, u"*.fahrplansammlung.xml"_s, u"A.1"_s, u"A.0"_s, u"A.1"_s, u"Fahrplansammlung"_s, true, 0x0200, 0x00},  // 60
    {false, u"best"_s, u"best.xml"_s, u"BEST-Tabelle"_s, u"*.best.xml"_s, u"A.1"_s, u"A.0"_s, u"A.1"_s, u"best"_s, true, 0x0000, 0x00},  // 61
    {false, u"fpn"_s, u"fpn.xml"_s, u"Fahrplankonfiguration"_s, u"*.fpn.xml"_s, u"A.1"_s, u"A.1"_s, u"A.1"_s, u"fpnxml"_s, true, 0x007D, 0x0F},  // 62
    {false, u"expense"_s, u"expense.xml"_s, u"Aufwandsdatei"_s, u"*.expense.xml"_s, u"A.1"_s, u"A.0"_s, u"A.1"_s, u"expense"_s, true, 0x007F, 0x0F},  // 63
    {false, u""_s, u"dll"_s, u"Anwendungserweiterung"_s, u"*.dll"_s, u""_s, u""_s, u"A.0"_s, u"dll"_s, false, 0x007D, 0x0F},  // 64
    {false, u"cab"_s, u"cab.xml"_s, u"Wechselschalter"_s, u"*.cab.xml"_s, u"A.1"_s, u"A.0"_s, u"A.0"_s, u"cab"_s, true, 0x003D, 0x03},  // 65
}};

}  // namespace kiro
