#include "helptext.h"

namespace quibrano {
namespace {

// Every sentence that says what the program does has to hold for this
// program: the timer examples follow the rule that one day code gates both
// the start and the end, the seconds-timer timing counts ticks as the tick
// does, and the random on time is the difference of the two countdowns.
constexpr std::string_view kHelpText = R"(
                                                **********   Quibrano  Version 4.1c   **********
Dieses Programm darf unverändert und kostenlos weitergegeben werden. Benutzung auf eigene Verantwortung; eine Haftung für Schäden an angeschlossenen Geräten wird nicht übernommen.

0.  Allgemeines
Das Programm schaltet die sechs Relais der Quibrano-Platine. Auch die beiden Eingänge K1 und K2 der Platine können Relais schalten. Außerdem lassen sich die Relais mit der Maus und durch Timer schalten, und ein Zufallsgenerator ("Random") ist eingebaut. Über ein Netzwerk oder das Internet kann das Programm mit einem eigenen Fernsteuerprogramm passender Version ferngesteuert werden.
Das Programm läuft unter Linux und Windows; ohne Bildschirm läuft es unsichtbar weiter, Platine, Timer und Fernsteuerung arbeiten dann wie gewohnt. Die Platine wird an eine der seriellen Schnittstellen Com1 bis Com8 angeschlossen, auch über einen USB-Seriell-Adapter; die USB-Ausführung der Platine erscheint ebenfalls als serielle Schnittstelle.
Unter Linux gehören zu Com1 bis Com8 die Geräte /dev/ttyS0 bis /dev/ttyS7. Ein anderes Gerät, z. B. ein USB-Adapter, wird mit der Umgebungsvariablen QUIBRANO_COM1 bis QUIBRANO_COM8 zugeordnet (etwa QUIBRANO_COM3=/dev/ttyUSB0). Unter Windows sind es COM1 bis COM8. In der Portliste zeigt jeder Eintrag sein Gerät als Tooltip.
Beim Beenden des Programms wird die Konfiguration gespeichert, auch wenn das Betriebssystem das Programm beendet. Es können mehrere Konfigurationen erstellt, gespeichert und geladen werden; die zuletzt geladene oder gespeicherte wird beim nächsten Start wieder aktiviert, wenn sie im Arbeitsordner des Programms liegt. Die Platine ist einfach nachzubauen.

1.  Quibrano
Herz der Platine ist ein PIC 16F628, ein in sich geschlossener 8-Bit-Controller. Die Platine arbeitet nur zusammen mit einem PC (eine eigenständige Platine ist in Entwicklung). Die Relais werden über Transistoren angesteuert; die Versorgung muss deshalb, passend zu den Relais, 12 V oder 24 V liefern. Die beiden Eingänge laufen über Optokoppler, dadurch sind die Leitungen zu den Kontakten weniger störempfindlich.
Achtung: Bekommt die Platine Strom, während die Software nicht läuft, ziehen alle Relais an. Darum zuerst die Software starten und danach die Platine einschalten.
Bestellhinweis: Fertige Platinen oder Bausätze werden nicht verkauft; die Bauteile gibt es im Elektronik-Fachhandel.

2.  Software
Das Programm wird in einen beliebigen Ordner installiert und über seinen Starter aufgerufen. Der Starter legt beim ersten Start einen eigenen Arbeitsordner an (~/.local/share/quibrano, oder der Ordner in QUIBRANO_HOME) mit einer ersten relf.ini; dort liegen die Einstellungen und die Konfigurationen. Das Fernsteuerprogramm wird nicht installiert, sondern einfach gestartet. Für die USB-Ausführung muss zuerst ihr Treiber installiert sein.
Nach dem Start zeigt das Feld unten rechts Wochentag, Datum, Uhrzeit, den aktiven COM-Port und ob die Platine antwortet.
Um den COM-Port zu wechseln oder eine Konfiguration zu speichern oder zu laden, zuerst STOP drücken; nur dann sind Portliste, Save und Load frei. Nach Save und Load läuft die Verbindung von selbst wieder an, nach einem Portwechsel START drücken. Der Port wird mit der Konfiguration gespeichert.
Kann die Konfiguration beim Beenden nicht gespeichert werden, erscheint eine Meldung und das Programm bleibt offen: dann mit STOP und Save unter einem Namen speichern und erneut beenden.
Links stehen die sechs Relais 1 bis 6 mit ihrem Zustand (grün = an, rot = aus), darunter die beiden Eingänge K1 und K2 (grün = Kontakt geschlossen, rot = offen).
Jedes Relais kann auf eine von elf Arten geschaltet werden:
   - Toggle:  mit der T-Taste
   - Timer:  sechs Timerprogramme je Relais
   - IF  K1:  Kontakt 1 geschlossen
   - IF  K2:  Kontakt 2 geschlossen
   - IF  K1 AND K2:  1 UND 2
   - IF  K1 OR K2:  1 ODER 2
   - IF  K1 NOR K2:  weder 1 noch 2
   - IF  K1 XOR K2:  entweder 1 oder 2
   - Sec. - Timer:  Sekunden-Timer
   - Random:  Zufall
   - Uhr - Steuerung:  Uhrensteuerung (nur Relais 6)

2.1.  Funktionen
Alles wird mit der Maus bedient. RESET schaltet alle Relais aus und setzt die Sekunden-Timer und die Zufallszähler zurück; Relais, die an den Eingängen hängen, folgen gleich danach wieder den Kontakten. Help zeigt diesen Text.

2.1.1.  Toggle  -   Direkt Schalten
Jedes Relais wird mit seiner T-Taste ein- und ausgeschaltet. Die T-Taste ist in den Arten Toggle, Timer und IF  K1 XOR K2 frei.

2.1.2.  K1 / K2  -  Schalten mit den Eingängen
IF  K1:  das Relais ist an, solange K1 geschlossen ist.
IF  K2:  das Relais ist an, solange K2 geschlossen ist.
IF  K1 AND K2:  an, wenn beide Kontakte geschlossen sind.
IF  K1 OR K2:  an, wenn mindestens ein Kontakt geschlossen ist.
IF  K1 NOR K2:  an, wenn beide Kontakte offen sind.
IF  K1 XOR K2:  an, wenn genau ein Kontakt geschlossen ist.
Eine Änderung an den Eingängen gilt erst, wenn die Platine sie zweimal hintereinander gemeldet hat; die Relais ziehen darum mit etwa 300 ms Verzögerung an, und Kontaktprellen erreicht sie nicht. Die Eingänge werden nur bei laufender Verbindung (START) gelesen.

2.1.3.  Schalten durch die Timer
Jedes Relais hat sechs Programme (Prog 1 bis 6); in der Art "Timer" werden alle sechs geprüft. Ein Programm, das nicht gebraucht wird, bekommt den Tag "Date" und ein altes Datum.
Die Relais schalten nur in dem Augenblick, in dem die Uhrzeit gleich der Start- oder Endzeit ist. Wird um 15:00 ein Relais programmiert, das täglich von 14:00 bis 16:00 an sein soll, muss es deshalb einmal mit seiner T-Taste eingeschaltet werden.
Beispiele:
Tag "Mo", Start 20:12:00, Ende 04:00:00:
   Das Relais zieht am Montag um 20:12:00 an und fällt erst am folgenden Montag um 04:00:00 ab, denn auch das Ende gilt nur am eingestellten Tag. Soll es am Dienstag um 04:00:00 abfallen, braucht es ein zweites Programm mit Tag "Di", Start 04:00:00 und Ende 04:00:00 (gleiche Zeiten schalten nur aus).
Tag "Date", Datum 01.05.1999, Start 07:00:00, Ende 07:00:10:
   Das Relais ist am 01.05.1999 zehn Sekunden lang an, von 07:00:00 bis 07:00:10, und an keinem anderen Tag.
Programm 1: Tag "Mo", Start 08:00:00, Ende 09:00:00
Programm 2: Tag "Sa", Start 17:00:00, Ende 06:00:00
   Programm 2 allein hielte das Relais von Samstag 17:00:00 bis zum folgenden Samstag 06:00:00. Zusammen mit Programm 1 ist es von Samstag 17:00:00 bis Montag 09:00:00 an: der Start am Montag um 08:00:00 ändert nichts, das Ende von Programm 1 um 09:00:00 schaltet aus.
Programm 3: Tag "Mo-Fr", Start 16:00:00, Ende 17:00:00
   Dazu ist das Relais an jedem Werktag von Montag bis Freitag von 16:00:00 bis 17:00:00 an.

2.1.4.  Sekunden Timer
Das Relais zieht an, wenn die Sekunden "start after" vergangen sind, und fällt bei den Sekunden "end after" ab. Gezählt wird ab dem letzten START, Laden oder Speichern; nach RESET und nach dem Programmstart kommen Ein- und Ausschalten des ersten Durchgangs eine Sekunde später. Ist "Repeat" angekreuzt, beginnt der Ablauf danach von vorn.
Beispiel: Repeat an, start after 30 sec, end after 60 sec ergibt einen langsamen Blinker: das Relais zieht nach 30 s an und fällt 30 s später ab, bleibt dann 31 s aus und ist wieder 30 s an, und so fort (ein Durchgang dauert 61 s).
Nach dem Ändern der Einstellungen in dieser Art einmal RESET drücken.

2.1.5.  Random  ( Zufallsgenerator )
In jedem der drei Zeitfenster eines Relais (Auswahl 1 bis 3) wird das Relais zufällig ein- und ausgeschaltet. Ein Fenster gilt ab der Sekunde nach seiner Startzeit bis einschließlich seiner Endzeit, auch über Mitternacht; zur Endzeit wird das Relais ausgeschaltet.
Das Feld "max. min" begrenzt die Einschaltdauer in Minuten: das Relais ist jeweils mindestens 1 Minute und höchstens "max. min" minus 1 Minuten an (bei 1 und 2 genau 1 Minute). Die Ausschaltdauer ist zufällig, 2 Minuten bis knapp das Dreifache von "max. min". Das wiederholt sich bis zur Endzeit des Fensters; im Mittel stehen Aus- und Einschaltzeit etwa im Verhältnis 3:1.
Eine 0 in "max. min" schaltet das Fenster ab. Nach dem Ändern der Einstellungen einmal RESET drücken.

2.1.6.  Uhren-Steuerung
Nur für Relais 6. Das Relais zieht in jeder Minute bei Sekunde 58 an und fällt bei Sekunde 00, zwei Sekunden später, wieder ab. Damit lassen sich große elektromechanische Uhren (Nebenuhren) betreiben.

2.2.  Fernsteuerung über Netzwerk / Internet
Seit Version 4.0 ist die Platine über ein TCP-Netzwerk oder das Internet erreichbar.
Mit dem Knopf IP wird ein persönliches Kennwort eingegeben, mit dem sich das Fernsteuerprogramm anmeldet; jede Verbindung meldet sich selbst an. Der Port ist auf 26535 voreingestellt, kann geändert werden (1 bis 65535) und muss mit dem Port des Fernsteuerprogramms übereinstimmen. Ein neuer Port gilt ab dem nächsten Einschalten von "Remote", ein neues Kennwort ab der nächsten Anmeldung.
Eine Firewall muss den Port durchlassen. Die IP-Adresse des Computers muss bekannt sein; feste Adressen (DHCP im Router aus) sind zu empfehlen. Dann unten im Hauptfenster das Feld "Remote" ankreuzen. Lässt sich der Port nicht öffnen, springt das Häkchen wieder zurück. Das Feld neben "Remote" wird grün, solange ein Fernsteuerprogramm verbunden ist.
Für den Zugang über das Internet leitet der Router den Port an den Computer weiter, und ein Dienst für dynamisches DNS gibt dem Computer einen Namen, der von überall erreichbar ist. Dann lassen sich von jedem Computer aus die Relais schalten und die Eingänge beobachten.

2.3. Belegung der Bezeichner REL-Namen und Eingänge
Die Namen der Relais und der Eingänge stehen in der Datei "relf.ini" (Zeilen 4 bis 9 die Relais 1 bis 6, Zeilen 10 und 11 K1 und K2) und können mit einem Texteditor geändert werden, während das Programm nicht läuft; beim Beenden schreibt das Programm die Datei neu. Es sind höchstens 6 Zeichen erlaubt.

Für Tipps, Kritik und Fehlermeldungen sind wir dankbar.
Hinweis: Quibrano wird von seinen Entwicklern gepflegt; Nachbau und Betrieb der Platine geschehen auf eigene Gefahr.
)";

}  // namespace

std::string_view HelpText() { return kHelpText; }

}  // namespace quibrano
