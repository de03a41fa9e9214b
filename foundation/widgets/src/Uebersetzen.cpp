#include "foundation/Uebersetzen.h"

#include "foundation/Einstellungen.h"
#include "foundation/RadioGroup.h"
#include "foundation/Sprachtabelle.h"

#include <QAbstractButton>
#include <QAction>
#include <QDockWidget>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QStackedWidget>
#include <QTabWidget>
#include <QToolBar>

namespace kiro {

namespace {

// The window's components in creation order, depth first. Qt's own helpers ("qt_" names, such
// as the stack that holds tab pages) are none but may hold some, and another window inside this
// one (a dialog parented to it) has components of its own.
void Sammeln(const QObject* o, QList<QObject*>& Ergebnis) {
  for (QObject* k : o->children()) {
    if (!k->objectName().startsWith(QStringLiteral("qt_"))) Ergebnis.append(k);
    if (auto* w = qobject_cast<QWidget*>(k); w && (w->windowType() == Qt::Window || w->windowType() == Qt::Dialog))
      continue;
    Sammeln(k, Ergebnis);
  }
}

QList<QObject*> Komponenten(const QWidget* Fenster) {
  QList<QObject*> r;
  Sammeln(Fenster, r);
  return r;
}

// A tab page is the page widget of a QTabWidget (held by its inner stacked widget).
QTabWidget* Registerkarte(QObject* o, int& Index) {
  auto* seite = qobject_cast<QWidget*>(o);
  if (!seite || !qobject_cast<QStackedWidget*>(seite->parent())) return nullptr;
  auto* tabs = qobject_cast<QTabWidget*>(seite->parent()->parent());
  if (!tabs) return nullptr;
  Index = tabs->indexOf(seite);
  return Index >= 0 ? tabs : nullptr;
}

// QAction reports its text as tool tip while none is set; only a set one stays when the text
// changes, so a short probe under blocked signals tells the two apart.
bool HatHinweis(QAction* a) {
  const QSignalBlocker sperre(a);
  const QString text = a->text();
  const QString vorher = a->toolTip();
  a->setText(text + QStringLiteral("\u2060X"));
  const bool gesetzt = a->toolTip() == vorher;
  a->setText(text);
  return gesetzt && !vorher.isEmpty();
}

// Items of a radio group or check list change only when the catalogue has a text for each.
bool Eintraege(TSprachtabelle& T, const QString& Basis, qsizetype n, QStringList& Texte) {
  Texte.clear();
  for (qsizetype i = 0; i < n; ++i) {
    const QString s = T.TextHolen(Basis + QStringLiteral(".Eintrag") + QString::number(i));
    if (s.isEmpty()) return false;
    Texte.append(s);
  }
  return true;
}

// Every list item is checkable by default; a check list is one whose items carry a check state.
bool IstCheckliste(const QListWidget* l) {
  return l->count() > 0 && l->item(0)->data(Qt::CheckStateRole).isValid();
}

}  // namespace

QString OhneKuerzel(const QString& Text) {
  static const QString marke = QStringLiteral("\u00A7$\u00A7$\u00A7$\u00A7$\u00A7$");
  QString s = Text;
  s.replace(QStringLiteral("&&"), marke);
  s.remove(u'&');
  s.replace(marke, QStringLiteral("&"));
  return s;
}

void KomponentenUebersetzen(TSprachtabelle& Tabelle, QWidget* Fenster) {
  if (!Fenster) return;
  const QString w = Fenster->objectName();
  auto text = [&](const QString& n, const char* art) {
    return Tabelle.TextHolen(w + u'.' + n + QLatin1String(art));
  };
  auto setzen = [](const QString& s, auto&& ziel) {
    if (!s.isEmpty()) ziel(s);
  };

  setzen(Tabelle.TextHolen(w + QStringLiteral(".Caption")), [&](const QString& s) { Fenster->setWindowTitle(s); });

  for (QObject* o : Komponenten(Fenster)) {
    const QString n = o->objectName();
    if (n.isEmpty() || o->property("Tag").toLongLong() != 0) continue;

    if (auto* a = qobject_cast<QAction*>(o)) {
      setzen(text(n, ".Caption"), [a](const QString& s) { a->setText(s); });
      setzen(text(n, ".Hint"), [a](const QString& s) { a->setToolTip(s); });
      continue;
    }
    if (auto* m = qobject_cast<QMenu*>(o)) {
      setzen(text(n, ".Caption"), [m](const QString& s) { m->setTitle(s); });
      continue;
    }
    if (auto* b = qobject_cast<QToolBar*>(o)) {
      setzen(text(n, ".Caption"), [b](const QString& s) { b->setWindowTitle(s); });
      continue;
    }
    if (auto* d = qobject_cast<QDockWidget*>(o)) {
      setzen(text(n, ".Caption"), [d](const QString& s) { d->setWindowTitle(s); });
      continue;
    }
    // A labelled edit names its caption label in the property "EditLabel".
    if (auto* beschriftung = qobject_cast<QLabel*>(o->property("EditLabel").value<QObject*>())) {
      setzen(text(n, ".EditLabel.Caption"), [beschriftung](const QString& s) { beschriftung->setText(s); });
      if (auto* w = qobject_cast<QWidget*>(o)) setzen(text(n, ".Hint"), [w](const QString& s) { w->setToolTip(s); });
      continue;
    }
    int seite = -1;
    if (QTabWidget* tabs = Registerkarte(o, seite)) {
      setzen(text(n, ".Caption"), [&](const QString& s) { tabs->setTabText(seite, s); });
      continue;
    }
    if (auto* l = qobject_cast<QLabel*>(o)) {
      setzen(text(n, ".Caption"), [l](const QString& s) { l->setText(s); });
      continue;
    }
    if (auto* b = qobject_cast<QAbstractButton*>(o)) {
      setzen(text(n, ".Caption"), [b](const QString& s) { b->setText(s); });
      if (!qobject_cast<QRadioButton*>(b)) setzen(text(n, ".Hint"), [b](const QString& s) { b->setToolTip(s); });
      continue;
    }
    if (auto* r = qobject_cast<TRadioGroup*>(o)) {
      setzen(text(n, ".Caption"), [r](const QString& s) { r->setTitle(s); });
      setzen(text(n, ".Hint"), [r](const QString& s) { r->setToolTip(s); });
      QStringList texte;
      if (Eintraege(Tabelle, w + u'.' + n, r->Count(), texte))
        for (int i = 0; i < texte.size(); ++i) r->SetItem(i, texte[i]);
      continue;
    }
    if (auto* g = qobject_cast<QGroupBox*>(o)) {
      setzen(text(n, ".Caption"), [g](const QString& s) { g->setTitle(s); });
      continue;
    }
    if (auto* liste = qobject_cast<QListWidget*>(o); liste && IstCheckliste(liste)) {
      QStringList texte;
      if (Eintraege(Tabelle, w + u'.' + n, liste->count(), texte)) {
        liste->clear();
        for (const QString& s : std::as_const(texte)) {
          auto* e = new QListWidgetItem(s, liste);
          e->setFlags(e->flags() | Qt::ItemIsUserCheckable);
          e->setCheckState(Qt::Unchecked);
        }
      }
    }
  }
}

void FormularUebersetzen(QWidget* Fenster) {
  if (!Fenster) return;
  if (Sprachtabelle) {
    if (Einstellungen) Sprachtabelle->SpracheSetzen(Einstellungen->Sprachordner);
    KomponentenUebersetzen(*Sprachtabelle, Fenster);
  }
  for (QObject* o : Komponenten(Fenster))
    if (auto* a = qobject_cast<QAction*>(o); a && !a->menu() && !HatHinweis(a)) a->setToolTip(OhneKuerzel(a->text()));
}

void NachBeschriftungBenennen(QWidget* Steuerelement, QLabel* Beschriftung) {
  Beschriftung->setBuddy(Steuerelement);
  Steuerelement->setAccessibleName(OhneKuerzel(Beschriftung->text()));
}

void BildknopfBenennen(QAbstractButton* Knopf, const QString& Entwurf) {
  QString text;
  if (Sprachtabelle)
    text = Sprachtabelle->TextHolen(Knopf->window()->objectName() + u'.' + Knopf->objectName() + QStringLiteral(".Hint"));
  if (text.isEmpty()) text = Entwurf;
  Knopf->setToolTip(text);
  Knopf->setAccessibleName(text);
}

}  // namespace kiro
