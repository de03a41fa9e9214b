#include "BilderSvg.h"

namespace kiro::bilder {

namespace {

// Every picture is drawn on a 32-unit grid with strokes on half units, so that 16 and 32
// pixels land on whole pixels and the other sizes stay sharp enough to read.
QByteArray Svg(const char* Inhalt) {
  return QByteArrayLiteral(R"(<svg xmlns="http://www.w3.org/2000/svg" width="32" height="32" viewBox="0 0 32 32">)") +
         QByteArray(Inhalt) + QByteArrayLiteral("</svg>");
}

// A shaded disc with a white "i": the message lights share the shape and differ by colour.
QByteArray InfoScheibe(const char* Hell, const char* Dunkel) {
  const QByteArray s = QByteArrayLiteral(R"svg(
<defs><radialGradient id="g" cx="12" cy="10" r="18" gradientUnits="userSpaceOnUse">
<stop offset="0" stop-color="%1"/><stop offset="1" stop-color="%2"/></radialGradient></defs>
<circle cx="16" cy="16" r="13.5" fill="url(#g)" stroke="%2" stroke-width="1.5"/>
<circle cx="16" cy="9.5" r="2.4" fill="#fff"/>
<path d="M16 14.5v9" stroke="#fff" stroke-width="4" stroke-linecap="round"/>)svg");
  return Svg(QString::fromLatin1(s).arg(QLatin1String(Hell), QLatin1String(Dunkel)).toLatin1().constData());
}

// A sheet of paper with a folded corner; the content is drawn on it.
constexpr const char* kBlatt = R"svg(
<path d="M6.5 2.5h13l6 6v21h-19z" fill="#fff" stroke="#4A5560" stroke-linejoin="round"/>
<path d="M19.5 2.5v6h6" fill="#DCE3EA" stroke="#4A5560" stroke-linejoin="round"/>)svg";

QByteArray AufBlatt(const char* Inhalt) { return Svg((QByteArray(kBlatt) + Inhalt).constData()); }

// Globe for the network lights; the arrow says the direction.
constexpr const char* kGlobus = R"svg(
<circle cx="13" cy="18" r="10.5" fill="#CFE6FA" stroke="#2B6CB0" stroke-width="1.5"/>
<path d="M2.5 18h21M13 7.5c-5 6-5 15 0 21M13 7.5c5 6 5 15 0 21" fill="none" stroke="#2B6CB0" stroke-width="1.2"/>)svg";

}  // namespace

std::vector<TSvgBild> GesamtSvg() {
  return {
      {QStringLiteral("icon_oeffnen"), Svg(R"svg(
<path d="M2.5 7.5h8l2.5 3h13v15h-23.5z" fill="#E8A92A" stroke="#8A5A00" stroke-linejoin="round"/>
<path d="M6.5 12.5h17v8h-17z" fill="#fff" stroke="#9AA3AD"/>
<path d="M2.5 25.5l4.5-10h23l-4.5 10z" fill="#FFD45C" stroke="#8A5A00" stroke-linejoin="round"/>)svg")},
      {QStringLiteral("icon_neu"), AufBlatt(R"svg(
<path d="M10 13.5h8M10 17.5h6" stroke="#9AA9C0" stroke-width="1.5" stroke-linecap="round"/>
<circle cx="23" cy="23" r="7" fill="#3FA535" stroke="#1E6B1A"/>
<path d="M23 19v8M19 23h8" stroke="#fff" stroke-width="2.6" stroke-linecap="round"/>)svg")},
      {QStringLiteral("icon_loeschen"), Svg(R"svg(
<path d="M12.5 7.5v-3h7v3" fill="none" stroke="#3C4248" stroke-width="2" stroke-linejoin="round"/>
<path d="M8 10.5h16l-1.5 18h-13z" fill="#9BA4AE" stroke="#3C4248" stroke-linejoin="round"/>
<path d="M5 8.5h22" stroke="#3C4248" stroke-width="2.5" stroke-linecap="round"/>
<path d="M12.5 14v11M16 14v11M19.5 14v11" stroke="#EEF1F4" stroke-width="1.6" stroke-linecap="round"/>)svg")},
      {QStringLiteral("icon_smiliegrau"), Svg(R"svg(
<defs><radialGradient id="g" cx="12" cy="10" r="18" gradientUnits="userSpaceOnUse">
<stop offset="0" stop-color="#DADDE1"/><stop offset="1" stop-color="#9499A0"/></radialGradient></defs>
<circle cx="16" cy="16" r="13.5" fill="url(#g)" stroke="#5E646B" stroke-width="1.5"/>
<ellipse cx="11.5" cy="12.5" rx="2" ry="2.8" fill="#33373C"/>
<ellipse cx="20.5" cy="12.5" rx="2" ry="2.8" fill="#33373C"/>
<path d="M9.5 19q6.5 6.5 13 0" fill="none" stroke="#33373C" stroke-width="2.2" stroke-linecap="round"/>)svg")},
      {QStringLiteral("icon_speichern"), Svg(R"svg(
<path d="M3.5 3.5h21l4 4v21h-25z" fill="#3569B8" stroke="#1C3D73" stroke-linejoin="round"/>
<path d="M8.5 3.5h14v8h-14z" fill="#D9DEE5" stroke="#1C3D73"/>
<path d="M18 5.5h2.5v4H18z" fill="#3569B8"/>
<path d="M7.5 15.5h17v13h-17z" fill="#fff" stroke="#1C3D73"/>
<path d="M10.5 19.5h11M10.5 23.5h11" stroke="#9AA9C0" stroke-width="1.5"/>)svg")},
      {QStringLiteral("icon_ausklappen"), Svg(R"svg(
<rect x="3.5" y="3.5" width="25" height="25" rx="4" fill="#E8F1FB" stroke="#3A6EA5"/>
<path d="M9 9l7 6 7-6M9 17l7 6 7-6" fill="none" stroke="#3A6EA5" stroke-width="3" stroke-linecap="round" stroke-linejoin="round"/>)svg")},
      {QStringLiteral("icon_einklappen"), Svg(R"svg(
<rect x="3.5" y="3.5" width="25" height="25" rx="4" fill="#FBF1E4" stroke="#B0651E"/>
<path d="M9 15l7-6 7 6M9 23l7-6 7 6" fill="none" stroke="#B0651E" stroke-width="3" stroke-linecap="round" stroke-linejoin="round"/>)svg")},
  };
}

std::vector<TSvgBild> IconSvg() {
  // The product's sign: a track running to the horizon, in the product colour.
  return {
      {QStringLiteral("icon_kiro"), Svg(R"svg(
<defs><linearGradient id="g" x1="0" y1="0" x2="0" y2="32" gradientUnits="userSpaceOnUse">
<stop offset="0" stop-color="#7DA7CC"/><stop offset="1" stop-color="#3F6D96"/></linearGradient></defs>
<rect x="1.5" y="1.5" width="29" height="29" rx="6" fill="url(#g)" stroke="#2C4F70"/>
<circle cx="24" cy="6" r="2.5" fill="#FFD45C"/>
<path d="M3 9.5h26" stroke="#fff" stroke-opacity=".55"/>
<path d="M10.5 12.5h11M8.3 17.5h15.4M5.8 23.5h20.4" stroke="#D7E3EE" stroke-width="1.8"/>
<path d="M12.5 9.5L5 28.5M19.5 9.5l7.5 19" stroke="#fff" stroke-width="2.2" stroke-linecap="round"/>)svg")},
  };
}

std::vector<TSvgBild> DateienSvg() {
  const QString ordner = QStringLiteral("KiroDateitypen\\");
  return {
      {ordner + QStringLiteral("icon_strecke"), Svg(R"svg(
<rect x="2.5" y="2.5" width="27" height="27" rx="3" fill="#DDEFC8" stroke="#5C8A2E"/>
<path d="M8.5 29C10 19.5 15.5 12 29 9.5" fill="none" stroke="#8B5A2B" stroke-width="7" stroke-dasharray="1.6 2.4"/>
<path d="M5.5 29C7 18 13 10 29 6.5M11.5 29C13 21 18 14 29 12.5" fill="none" stroke="#4D4D4D" stroke-width="1.6"/>)svg")},
      {ordner + QStringLiteral("icon_gleisplan"), Svg(R"svg(
<rect x="2.5" y="4.5" width="27" height="23" rx="2" fill="#fff" stroke="#4A5560"/>
<path d="M2.5 12h27M2.5 20h27M10 4.5v23M22 4.5v23" stroke="#E3E8EE"/>
<path d="M5.5 21h21M9.5 21l8-8h9" fill="none" stroke="#1F5FAF" stroke-width="2.5" stroke-linecap="round" stroke-linejoin="round"/>)svg")},
      {ordner + QStringLiteral("icon_landschaft"), Svg(R"svg(
<path d="M16 3l12 6.5L16 16 4 9.5z" fill="#BCD5EC"/>
<path d="M4 9.5L16 16v13L4 22.5z" fill="#7FA8D1"/>
<path d="M16 16l12-6.5v13L16 29z" fill="#4F7BA8"/>
<path d="M16 3l12 6.5v13L16 29 4 22.5v-13zM4 9.5L16 16l12-6.5M16 16v13" fill="none" stroke="#243F5E" stroke-linejoin="round"/>)svg")},
      {ordner + QStringLiteral("icon_fahrzeug"), Svg(R"svg(
<path d="M1 27.5h30" stroke="#555" stroke-width="1.5"/>
<rect x="2.5" y="8.5" width="27" height="13" rx="2.5" fill="#C8102E" stroke="#6B0716"/>
<path d="M5.5 11.5h4v4h-4zM11.5 11.5h4v4h-4zM17.5 11.5h4v4h-4zM23.5 11.5h3v4h-3z" fill="#DDEEFF" stroke="#6B0716" stroke-width=".8"/>
<g fill="#333"><circle cx="7.5" cy="24.5" r="2.5"/><circle cx="12.5" cy="24.5" r="2.5"/>
<circle cx="19.5" cy="24.5" r="2.5"/><circle cx="24.5" cy="24.5" r="2.5"/></g>)svg")},
      {ordner + QStringLiteral("icon_zug"), Svg(R"svg(
<path d="M1 27.5h30" stroke="#555" stroke-width="1.5"/>
<path d="M1.5 22.5v-9l3.5-4.5h9.5v13.5z" fill="#F2B630" stroke="#7A5300" stroke-linejoin="round"/>
<path d="M4 13.5l2-2.5h3.5v3.5H4z" fill="#DDEEFF"/>
<rect x="16.5" y="10.5" width="14" height="12" rx="1.5" fill="#2F6FC4" stroke="#173B6E"/>
<path d="M18.5 13h4v3.5h-4zM24.5 13h4v3.5h-4z" fill="#DDEEFF"/>
<path d="M14.5 20h2" stroke="#333" stroke-width="1.5"/>
<g fill="#333"><circle cx="5" cy="24.5" r="2.2"/><circle cx="10.5" cy="24.5" r="2.2"/>
<circle cx="20" cy="24.5" r="2.2"/><circle cx="27" cy="24.5" r="2.2"/></g>)svg")},
      {ordner + QStringLiteral("icon_fahrplan"), Svg(R"svg(
<circle cx="16" cy="16" r="13" fill="#fff" stroke="#2B4F77" stroke-width="2"/>
<path d="M16 5v3M16 24v3M5 16h3M24 16h3" stroke="#2B4F77" stroke-width="1.6"/>
<path d="M16 16V9M16 16l5.5 3" stroke="#222" stroke-width="2.2" stroke-linecap="round"/>
<circle cx="16" cy="16" r="1.6" fill="#C8102E"/>)svg")},
      {ordner + QStringLiteral("icon_fuehrerstand"), Svg(R"svg(
<rect x="2.5" y="4.5" width="27" height="23" rx="4" fill="#2E3338" stroke="#111"/>
<path d="M6.5 22a9.5 9.5 0 0 1 19 0" fill="none" stroke="#E8E8E8" stroke-width="2"/>
<path d="M16 12.5v2.5M9.3 15.3l1.7 1.7M22.7 15.3L21 17" stroke="#E8E8E8" stroke-width="1.5"/>
<path d="M16 22l5-6.5" stroke="#FF3B30" stroke-width="2" stroke-linecap="round"/>
<circle cx="16" cy="22" r="1.8" fill="#E8E8E8"/>)svg")},
      {ordner + QStringLiteral("icon_signal"), Svg(R"svg(
<path d="M16 19v10M11 29h10" stroke="#555" stroke-width="2" stroke-linecap="round"/>
<rect x="10.5" y="1.5" width="11" height="19" rx="5.5" fill="#222" stroke="#000"/>
<circle cx="16" cy="7" r="3" fill="#FF3B30"/>
<circle cx="16" cy="15" r="3" fill="#1F5E2A"/>)svg")},
      {ordner + QStringLiteral("icon_textur"), Svg(R"svg(
<rect x="3.5" y="3.5" width="25" height="25" fill="#fff" stroke="#444"/>
<path d="M4 4h6v6H4zM16 4h6v6h-6zM10 10h6v6h-6zM22 10h6v6h-6zM4 16h6v6H4zM16 16h6v6h-6zM10 22h6v6h-6zM22 22h6v6h-6z" fill="#7E57C2"/>)svg")},
      {ordner + QStringLiteral("icon_script"), AufBlatt(R"svg(
<path d="M13 13.5l-4 4 4 4M19 13.5l4 4-4 4" fill="none" stroke="#1F5FAF" stroke-width="2" stroke-linecap="round" stroke-linejoin="round"/>)svg")},
      {ordner + QStringLiteral("icon_archiv"), Svg(R"svg(
<path d="M4 10.5l12-6 12 6v15l-12 6-12-6z" fill="#C89B5A" stroke="#6B4A1E" stroke-linejoin="round"/>
<path d="M16 16.5l12-6v15l-12 6z" fill="#A87B3E"/>
<path d="M4 10.5l12 6 12-6M16 16.5v15" fill="none" stroke="#6B4A1E" stroke-linejoin="round"/>
<path d="M10 7.5l12 6v5" fill="none" stroke="#EAD7B0" stroke-width="2.5"/>)svg")},
      {QStringLiteral("icon_sound"), Svg(R"svg(
<path d="M3.5 11.5h5l7-6v21l-7-6h-5z" fill="#5A5F66" stroke="#23272B" stroke-linejoin="round"/>
<path d="M20 11.5a6 6 0 0 1 0 9M23.5 7.5a11.5 11.5 0 0 1 0 17" fill="none" stroke="#1F5FAF" stroke-width="2.2" stroke-linecap="round"/>)svg")},
  };
}

std::vector<TSvgBild> MeldungenSvg() {
  const QString ordner = QStringLiteral("Fehlersymbole\\");
  return {
      {QStringLiteral("icon_datei"), AufBlatt(R"svg(
<path d="M10 13.5h12M10 17.5h12M10 21.5h8" stroke="#6F8FB0" stroke-width="1.6" stroke-linecap="round"/>)svg")},
      {ordner + QStringLiteral("icon_AdminInfo"), Svg(R"svg(
<path d="M16 2.5l11.5 4v8c0 7-4.8 12-11.5 15-6.7-3-11.5-8-11.5-15v-8z" fill="#2F6FC4" stroke="#173B6E" stroke-linejoin="round"/>
<path d="M16 2.5v27c-6.7-3-11.5-8-11.5-15v-8z" fill="#F2B630" fill-opacity=".85"/>
<circle cx="16" cy="10" r="2.3" fill="#fff" stroke="#173B6E" stroke-width=".8"/>
<path d="M16 14.5v8" stroke="#173B6E" stroke-width="5" stroke-linecap="round"/>
<path d="M16 14.5v8" stroke="#fff" stroke-width="3.4" stroke-linecap="round"/>)svg")},
      {ordner + QStringLiteral("icon_RotesKreuz"), Svg(R"svg(
<defs><radialGradient id="g" cx="12" cy="10" r="18" gradientUnits="userSpaceOnUse">
<stop offset="0" stop-color="#F05A4F"/><stop offset="1" stop-color="#B71C1C"/></radialGradient></defs>
<circle cx="16" cy="16" r="13.5" fill="url(#g)" stroke="#8E1414" stroke-width="1.5"/>
<path d="M11 11l10 10M21 11L11 21" stroke="#fff" stroke-width="3.6" stroke-linecap="round"/>)svg")},
      {ordner + QStringLiteral("icon_GelbesDreieck"), Svg(R"svg(
<path d="M16 3L29.5 27.5h-27z" fill="#FFC83D" stroke="#8A6100" stroke-width="1.5" stroke-linejoin="round"/>
<path d="M16 11v8" stroke="#2B2B2B" stroke-width="3.2" stroke-linecap="round"/>
<circle cx="16" cy="23.3" r="1.9" fill="#2B2B2B"/>)svg")},
      {ordner + QStringLiteral("icon_BlaueInfo"), InfoScheibe("#5AA0F0", "#1A4F9C")},
      {ordner + QStringLiteral("icon_RoteInfo"), InfoScheibe("#F06A5F", "#A31515")},
      {ordner + QStringLiteral("icon_GrueneInfo"), InfoScheibe("#6CCB5F", "#1E7A1E")},
      {QStringLiteral("icon_netzwerkeingang"), Svg((QByteArray(kGlobus) + R"svg(
<path d="M29 3l-9 9" stroke="#2E9B3A" stroke-width="3.5" stroke-linecap="round"/>
<path d="M16.5 6.5V15.5h9z" fill="#2E9B3A"/>)svg").constData())},
      {QStringLiteral("icon_netzwerkausgang"), Svg((QByteArray(kGlobus) + R"svg(
<path d="M18 14l9-9" stroke="#E07B00" stroke-width="3.5" stroke-linecap="round"/>
<path d="M21 2.5h9v9z" fill="#E07B00"/>)svg").constData())},
  };
}

}  // namespace kiro::bilder
