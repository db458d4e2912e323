<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de">
<context>
    <name>AccessRules</name>
    <message>
        <source>&apos;%1&apos; names a network interface; give addresses only</source>
        <extracomment>%1 is an item of the --allow list (&quot;fe80::1%eth0&quot;).</extracomment>
        <translation>&apos;%1&apos; nennt eine Netzwerkschnittstelle; geben Sie nur Adressen an</translation>
    </message>
    <message>
        <source>&apos;%1&apos; is no address or network</source>
        <extracomment>%1 is an item of the --allow list.</extracomment>
        <translation>&apos;%1&apos; ist keine Adresse und kein Netz</translation>
    </message>
    <message>
        <source>&apos;%1&apos; has no prefix length from 0 to %2</source>
        <extracomment>%1 is an item of the --allow list, %2 the address&apos;s bits (32, 128).</extracomment>
        <translation>&apos;%1&apos; hat keine Präfixlänge von 0 bis %2</translation>
    </message>
    <message>
        <source>&apos;%1&apos; has bits set beyond its prefix: the network is %2/%3</source>
        <extracomment>%1 is an item of the --allow list; %2/%3 the network it lies in (&quot;10.1.2.0/24&quot;).</extracomment>
        <translation>&apos;%1&apos; hat gesetzte Bits hinter seinem Präfix: Das Netz ist %2/%3</translation>
    </message>
    <message>
        <source>the list names %1 addresses and networks; at most %2 are taken</source>
        <extracomment>%1 is the number of items of the --allow list (always more than %2).</extracomment>
        <translation>die Liste nennt %1 Adressen und Netze; höchstens %2 werden angenommen</translation>
    </message>
    <message>
        <source>the list has an empty item</source>
        <translation>die Liste hat einen leeren Eintrag</translation>
    </message>
    <message>
        <source>&apos;any&apos; stands alone: it allows every address</source>
        <translation>&apos;any&apos; steht allein: Es erlaubt jede Adresse</translation>
    </message>
</context>
<context>
    <name>CardHeader</name>
    <message>
        <source>Slot %1</source>
        <extracomment>Where the card&apos;s VXI module sits in the mainframe; %1 is the slot number</extracomment>
        <translation>Steckplatz %1</translation>
    </message>
    <message>
        <source>Orbelan %1 Soft Front Panel</source>
        <extracomment>The main window&apos;s title; %1 is the card&apos;s model number, e.g. 5170</extracomment>
        <translation>Orbelan %1 Soft Front Panel</translation>
    </message>
</context>
<context>
    <name>CardScan</name>
    <message>
        <source>a scan or sequence runs</source>
        <translation>ein Scan oder eine Sequenz läuft</translation>
    </message>
    <message>
        <source>a scan has at most %1 steps</source>
        <extracomment>%1 is the most steps a scan may have</extracomment>
        <translation>ein Scan hat höchstens %1 Schritte</translation>
    </message>
    <message>
        <source>each step of a scan closes relays 1 to 32</source>
        <translation>jeder Schritt eines Scans schließt Relais 1 bis 32</translation>
    </message>
    <message>
        <source>a settle time is 0 to 60 s</source>
        <translation>eine Einschwingzeit beträgt 0 bis 60 s</translation>
    </message>
    <message>
        <source>a step interval is 1 ms to 3600 s</source>
        <translation>ein Schrittintervall beträgt 1 ms bis 3600 s</translation>
    </message>
    <message>
        <source>a scan has 1 to 1000000 sweeps, or no end</source>
        <translation>ein Scan hat 1 bis 1000000 Durchläufe oder kein Ende</translation>
    </message>
    <message>
        <source>a scan or sequence runs already</source>
        <translation>ein Scan oder eine Sequenz läuft bereits</translation>
    </message>
    <message>
        <source>the scan list is empty</source>
        <translation>die Scanliste ist leer</translation>
    </message>
    <message>
        <source>no sequence is named &quot;%1&quot;</source>
        <extracomment>%1 is the name of a stored sequence</extracomment>
        <translation>keine Sequenz heißt „%1“</translation>
    </message>
    <message>
        <source>the run belongs to %1, who started it under the lock</source>
        <extracomment>%1 names the client that started the scan, as the log names it</extracomment>
        <translation>der Lauf gehört %1, der ihn unter der Sperre gestartet hat</translation>
    </message>
    <message>
        <source>the card failed: %1</source>
        <translation>die Karte meldet einen Fehler: %1</translation>
    </message>
</context>
<context>
    <name>CardService</name>
    <message>
        <source>there is no such file</source>
        <translation>diese Datei gibt es nicht</translation>
    </message>
</context>
<context>
    <name>CardSession</name>
    <message>
        <source>a label</source>
        <translation>eine Bezeichnung</translation>
    </message>
    <message>
        <source>the panel has no fixture file</source>
        <translation>das Panel hat keine Fixture-Datei</translation>
    </message>
    <message>
        <source>the fixture file cannot be written: %1</source>
        <extracomment>%1 says why, as the system says it</extracomment>
        <translation>die Fixture-Datei kann nicht geschrieben werden: %1</translation>
    </message>
    <message>
        <source>a state&apos;s name</source>
        <translation>der Name eines Zustands</translation>
    </message>
    <message>
        <source>both relays of pair %1 would be closed under the exclusive rule</source>
        <extracomment>%1 is a pair&apos;s number</extracomment>
        <translation>beide Relais von Paar %1 wären unter der Exklusiv-Regel geschlossen</translation>
    </message>
    <message>
        <source>no state is named &quot;%1&quot;</source>
        <extracomment>%1 is the name of a state of the fixture</extracomment>
        <translation>kein Zustand heißt „%1“</translation>
    </message>
    <message>
        <source>both relays of a pair are closed under the exclusive rule</source>
        <translation>beide Relais eines Paars sind unter der Exklusiv-Regel geschlossen</translation>
    </message>
    <message>
        <source>a sequence&apos;s name</source>
        <translation>der Name einer Sequenz</translation>
    </message>
    <message>
        <source>no sequence &quot;%1&quot;</source>
        <extracomment>%1 is the name of a sequence of the fixture</extracomment>
        <translation>keine Sequenz „%1“</translation>
    </message>
    <message>
        <source>both relays of pair %1 under the exclusive rule</source>
        <extracomment>%1 is a pair&apos;s number</extracomment>
        <translation>beide Relais von Paar %1 unter der Exklusiv-Regel</translation>
    </message>
</context>
<context>
    <name>CommandLine</name>
    <message>
        <source>Missing value after &apos;%1&apos;.</source>
        <translation>Fehlender Wert nach &apos;%1&apos;.</translation>
    </message>
    <message>
        <source>Option &apos;%1&apos; given more than once.</source>
        <translation>Option &apos;%1&apos; wurde mehr als einmal angegeben.</translation>
    </message>
    <message>
        <source>Unexpected value after &apos;%1&apos;.</source>
        <translation>Unerwarteter Wert nach &apos;%1&apos;.</translation>
    </message>
    <message>
        <source>Unknown option &apos;%1&apos;.</source>
        <translation>Unbekannte Option &apos;%1&apos;.</translation>
    </message>
    <message>
        <source>Unknown options: %1.</source>
        <extracomment>%1 is a list of options, separated by &quot;, &quot;.</extracomment>
        <translation>Unbekannte Optionen: %1.</translation>
    </message>
    <message>
        <source>--log-to-vcd takes the log and the file to write: --log-to-vcd LOG OUT.vcd.</source>
        <translation>--log-to-vcd erwartet das Protokoll und die zu schreibende Datei: --log-to-vcd LOG OUT.vcd.</translation>
    </message>
    <message>
        <source>Unexpected argument &apos;%1&apos;.</source>
        <translation>Unerwartetes Argument &apos;%1&apos;.</translation>
    </message>
    <message>
        <source>--library-path needs a folder.</source>
        <translation>--library-path braucht einen Ordner.</translation>
    </message>
    <message>
        <source>Choose only one of --simulate and --library-path.</source>
        <translation>Wählen Sie nur eine der Optionen --simulate und --library-path.</translation>
    </message>
    <message>
        <source>Choose only one of --log-to-scpi and --log-to-vcd.</source>
        <translation>Wählen Sie nur eine der Optionen --log-to-scpi und --log-to-vcd.</translation>
    </message>
    <message>
        <source>--%1 is for --log-to-scpi and --log-to-vcd.</source>
        <translation>--%1 gilt nur für --log-to-scpi und --log-to-vcd.</translation>
    </message>
    <message>
        <source>--%1 takes a time as ISO 8601 writes it (2026-12-09T14:05:00, with an offset or Z where it is not local time), not &apos;%2&apos;.</source>
        <translation>--%1 erwartet eine Zeit in der Schreibweise von ISO 8601 (2026-12-09T14:05:00, mit einem Versatz oder Z, wo sie nicht Ortszeit ist), nicht &apos;%2&apos;.</translation>
    </message>
    <message>
        <source>--%1 needs a log file.</source>
        <translation>--%1 braucht eine Protokolldatei.</translation>
    </message>
    <message>
        <source>--allow is for --listen and --http: give one of them.</source>
        <translation>--allow gilt für --listen und --http: Geben Sie eine der beiden Optionen an.</translation>
    </message>
    <message>
        <source>--allow takes addresses and networks (10.1.2.3, 192.168.7.0/24, fd00::/64) or any: %1.</source>
        <extracomment>%1 says what is wrong with the list.</extracomment>
        <translation>--allow erwartet Adressen und Netze (10.1.2.3, 192.168.7.0/24, fd00::/64) oder any: %1.</translation>
    </message>
    <message>
        <source>--%1 %2 reaches beyond the loopback: say who may connect with --allow (addresses, networks, or any).</source>
        <extracomment>%1 is the option&apos;s name (listen, http), %2 its value.</extracomment>
        <translation>--%1 %2 reicht über das Loopback hinaus: Geben Sie mit --allow an, wer sich verbinden darf (Adressen, Netze oder any).</translation>
    </message>
    <message>
        <source>--listen takes [ADDRESS:]PORT with a numeric address and a port from 1 to 65535, not &apos;%1&apos;.</source>
        <translation>--listen erwartet [ADDRESS:]PORT mit einer numerischen Adresse und einem Port von 1 bis 65535, nicht &apos;%1&apos;.</translation>
    </message>
    <message>
        <source>--http takes [ADDRESS:]PORT with a numeric address and a port from 1 to 65535, not &apos;%1&apos;.</source>
        <translation>--http erwartet [ADDRESS:]PORT mit einer numerischen Adresse und einem Port von 1 bis 65535, nicht &apos;%1&apos;.</translation>
    </message>
    <message>
        <source>--http and --listen cannot share port %1.</source>
        <translation>--http und --listen können sich den Port %1 nicht teilen.</translation>
    </message>
    <message>
        <source>--idle-timeout takes a whole number of seconds from 1 to %1, not &apos;%2&apos;.</source>
        <translation>--idle-timeout erwartet eine ganze Zahl von Sekunden von 1 bis %1, nicht &apos;%2&apos;.</translation>
    </message>
    <message>
        <source>--idle-timeout is for the remote control: give --listen too.</source>
        <translation>--idle-timeout gilt für die Fernsteuerung: Geben Sie auch --listen an.</translation>
    </message>
    <message>
        <source>--set-password needs a file.</source>
        <translation>--set-password braucht eine Datei.</translation>
    </message>
    <message>
        <source>--%1 is for the web face: give --http too.</source>
        <translation>--%1 gilt für die Weboberfläche: Geben Sie auch --http an.</translation>
    </message>
    <message>
        <source>--%1 needs a file.</source>
        <translation>--%1 braucht eine Datei.</translation>
    </message>
    <message>
        <source>--http-certificate and --http-key go together: give both.</source>
        <translation>--http-certificate und --http-key gehören zusammen: Geben Sie beide an.</translation>
    </message>
    <message>
        <source>--fixture needs a file.</source>
        <translation>--fixture braucht eine Datei.</translation>
    </message>
    <message>
        <source>-platform needs the name of a platform.</source>
        <translation>-platform braucht den Namen einer Plattform.</translation>
    </message>
    <message>
        <source>Choose only one of --demo, --scan and --address.</source>
        <translation>Wählen Sie nur eine der Optionen --demo, --scan und --address.</translation>
    </message>
    <message>
        <source>--address and --fc go together: give both.</source>
        <translation>--address und --fc gehören zusammen: Geben Sie beide an.</translation>
    </message>
    <message>
        <source>--address needs a VISA resource descriptor.</source>
        <translation>--address braucht einen VISA-Ressourcendeskriptor.</translation>
    </message>
    <message>
        <source>--address &apos;%1&apos; is no VISA resource descriptor.</source>
        <translation>--address &apos;%1&apos; ist kein VISA-Ressourcendeskriptor.</translation>
    </message>
    <message>
        <source>--fc must be a function-card number from 1 to 8, not &apos;%1&apos;.</source>
        <translation>--fc muss eine Funktionskartennummer von 1 bis 8 sein, nicht &apos;%1&apos;.</translation>
    </message>
    <message>
        <source>-%1 is for the window; --headless shows none.</source>
        <translation>-%1 gilt für das Fenster; --headless zeigt keines.</translation>
    </message>
    <message>
        <source>--headless needs a card: give --address with --fc, --demo or --scan.</source>
        <translation>--headless braucht eine Karte: Geben Sie --address mit --fc, --demo oder --scan an.</translation>
    </message>
    <message>
        <source>--headless needs a way in for clients: give --listen or --http.</source>
        <translation>--headless braucht einen Zugang für Clients: Geben Sie --listen oder --http an.</translation>
    </message>
    <message>
        <source>--options-file needs a file.</source>
        <translation>--options-file braucht eine Datei.</translation>
    </message>
    <message>
        <source>the options file %1: there is no such file</source>
        <translation>die Optionsdatei %1: Diese Datei gibt es nicht</translation>
    </message>
    <message>
        <source>the options file %1 %2</source>
        <extracomment>%1 is the file&apos;s path, %2 what is wrong with it, in English as the file&apos;s reader says it (&quot;is not a regular file&quot;).</extracomment>
        <translation>die Optionsdatei %1 %2</translation>
    </message>
    <message>
        <source>the options file %1: &apos;%2&apos; is no option</source>
        <extracomment>%1 is the file&apos;s path and line (&quot;opts:3&quot;), %2 the line&apos;s first word.</extracomment>
        <translation>die Optionsdatei %1: &apos;%2&apos; ist keine Option</translation>
    </message>
    <message>
        <source>the options file %1: an options file names no other</source>
        <extracomment>%1 is the file&apos;s path and line (&quot;opts:3&quot;).</extracomment>
        <translation>die Optionsdatei %1: Eine Optionsdatei nennt keine weitere</translation>
    </message>
    <message>
        <source>the options file %1:%2: %3</source>
        <extracomment>%1 is the file&apos;s path, %2 the number of its line, %3 the fault of that line.</extracomment>
        <translation>die Optionsdatei %1:%2: %3</translation>
    </message>
    <message>
        <source>Try &apos;qx5170fp --help&apos; for more information.</source>
        <translation>Weitere Informationen erhalten Sie mit &apos;qx5170fp --help&apos;.</translation>
    </message>
    <message>
        <source>no display to show the panel on: set DISPLAY, or choose a platform with -platform or QT_QPA_PLATFORM (offscreen, vnc)</source>
        <translation>kein Bildschirm, auf dem das Panel gezeigt werden kann: Setzen Sie DISPLAY oder wählen Sie eine Plattform mit -platform oder QT_QPA_PLATFORM (offscreen, vnc)</translation>
    </message>
    <message>
        <source>cannot write to standard output: %1</source>
        <extracomment>%1 is the system&apos;s reason (&quot;No space left on device&quot;).</extracomment>
        <translation>kann nicht auf die Standardausgabe schreiben: %1</translation>
    </message>
    <message>
        <source>cannot write to standard output</source>
        <translation>kann nicht auf die Standardausgabe schreiben</translation>
    </message>
    <message>
        <source>the headless server cannot be run: %1</source>
        <extracomment>%1 is the server&apos;s file and why it cannot be run.</extracomment>
        <translation>der Server ohne Fenster kann nicht gestartet werden: %1</translation>
    </message>
    <message>
        <source>run by &apos;qx5170fp --headless&apos;</source>
        <translation>wird von &apos;qx5170fp --headless&apos; gestartet</translation>
    </message>
</context>
<context>
    <name>CommandLineHelp</name>
    <message>
        <source>Soft front panel of the Orbelan 5170 32-channel relay card.
Without options it asks how to connect: Auto Find, Run In Demo Mode or Enter Address.</source>
        <translation>Soft-Frontpanel der 32-Kanal-Relaiskarte Orbelan 5170.
Ohne Optionen fragt es, wie verbunden wird: Automatisch suchen, Im Demo-Modus
starten oder Adresse eingeben.</translation>
    </message>
    <message>
        <source>Show this help and exit.</source>
        <translation>Diese Hilfe zeigen und beenden.</translation>
    </message>
    <message>
        <source>Show the revisions of the panel, the instrument driver and the common library, and exit.</source>
        <translation>Die Versionen des Panels, des Gerätetreibers und der gemeinsamen Bibliothek zeigen und beenden.</translation>
    </message>
    <message>
        <source>Start in demo mode, without hardware (as &quot;Run In Demo Mode&quot;).</source>
        <translation>Im Demo-Modus ohne Hardware starten (wie „Im Demo-Modus starten“).</translation>
    </message>
    <message>
        <source>Search for the card at once (as &quot;Auto Find&quot;).</source>
        <translation>Sofort nach der Karte suchen (wie „Automatisch suchen“).</translation>
    </message>
    <message>
        <source>Open the card on the motherboard with this VISA resource descriptor (with --fc). Not stored in DefaultInstrDescr.ini.</source>
        <translation>Die Karte auf der Hauptplatine mit diesem VISA-Ressourcendeskriptor öffnen (mit --fc). Wird nicht in DefaultInstrDescr.ini gespeichert.</translation>
    </message>
    <message>
        <source>Function-card number on that motherboard, 1 to 8 (with --address).</source>
        <translation>Nummer der Funktionskarte auf dieser Hauptplatine, 1 bis 8 (mit --address).</translation>
    </message>
    <message>
        <source>Load VISA, the common library and the instrument driver from this folder and nowhere else; without them there, the program ends.</source>
        <translation>VISA, die gemeinsame Bibliothek und den Gerätetreiber aus diesem Ordner laden und von nirgendwo sonst; fehlen sie dort, endet das Programm.</translation>
    </message>
    <message>
        <source>Run on the simulated platform that comes with the panel, whatever vendor libraries are installed.</source>
        <translation>Auf der simulierten Plattform laufen, die mit dem Panel kommt, gleich welche Herstellerbibliotheken installiert sind.</translation>
    </message>
    <message>
        <source>Take SCPI commands on this TCP port once connected (card or demo mode), on the loopback interface unless an address is named: 5025, 127.0.0.1:5025, [::1]:5025, 0.0.0.0:5025, [::]:5025 (every address, IPv4 ones too).</source>
        <translation>Nach dem Verbinden (Karte oder Demo-Modus) SCPI-Befehle auf diesem TCP-Port annehmen, auf der Loopback-Schnittstelle, sofern keine Adresse genannt ist: 5025, 127.0.0.1:5025, [::1]:5025, 0.0.0.0:5025, [::]:5025 (jede Adresse, auch IPv4).</translation>
    </message>
    <message>
        <source>Serve the card&apos;s web page, LXI identification and REST on this TCP port once connected, on the loopback interface unless an address is named, as --listen reads it.</source>
        <translation>Nach dem Verbinden die Webseite der Karte, die LXI-Identifikation und REST auf diesem TCP-Port anbieten, auf der Loopback-Schnittstelle, sofern keine Adresse genannt ist, gelesen wie bei --listen.</translation>
    </message>
    <message>
        <source>Who besides the loopback may connect to --listen and --http: addresses and networks, comma-separated (192.168.7.0/24,fd00::/64,10.1.2.3), or the word any. Needed for an address beyond the loopback; others are refused before they reach the card.</source>
        <translation>Wer sich außer dem Loopback mit --listen und --http verbinden darf: Adressen und Netze, durch Kommas getrennt (192.168.7.0/24,fd00::/64,10.1.2.3), oder das Wort any. Nötig für eine Adresse außerhalb des Loopbacks; andere werden abgewiesen, bevor sie die Karte erreichen.</translation>
    </message>
    <message>
        <source>Read a password for the web face (twice from a terminal, else one line of standard input), write its salted hash to FILE (mode 0600), and exit.</source>
        <translation>Ein Passwort für die Weboberfläche lesen (zweimal von einem Terminal, sonst eine Zeile der Standardeingabe), seinen gesalzenen Hash nach FILE schreiben (Modus 0600) und beenden.</translation>
    </message>
    <message>
        <source>With --http: changes from beyond the loopback need this password (a file that --set-password wrote), given over HTTPS; without it they are refused.</source>
        <translation>Mit --http: Änderungen von außerhalb des Loopbacks brauchen dieses Passwort (eine Datei, die --set-password geschrieben hat), über HTTPS gegeben; ohne es werden sie abgewiesen.</translation>
    </message>
    <message>
        <source>With --http and --http-key: serve HTTPS with this PEM certificate.</source>
        <translation>Mit --http und --http-key: HTTPS mit diesem PEM-Zertifikat anbieten.</translation>
    </message>
    <message>
        <source>With --http and --http-certificate: the certificate&apos;s PEM private key (mode 0600).</source>
        <translation>Mit --http und --http-certificate: der private PEM-Schlüssel des Zertifikats (Modus 0600).</translation>
    </message>
    <message>
        <source>With --listen: close the connection of a remote client that has sent nothing for this many seconds (by default a client may stay silent as long as it likes).</source>
        <translation>Mit --listen: die Verbindung eines entfernten Clients schließen, der so viele Sekunden nichts gesendet hat (standardmäßig darf ein Client beliebig lange schweigen).</translation>
    </message>
    <message>
        <source>Under the exclusive rule, open a relay&apos;s partner before the clicked relay closes (by default the relay closes first).</source>
        <translation>Unter der Exklusivregel das Partnerrelais öffnen, bevor das angeklickte Relais schließt (standardmäßig schließt das Relais zuerst).</translation>
    </message>
    <message>
        <source>Read the card&apos;s fixture (relay labels, rules, rated life, named states) from this JSON file instead of the card&apos;s own file under ~/.config/qx5170fp/fixtures.</source>
        <translation>Die Fixture der Karte (Relaisbeschriftungen, Regeln, Nennlebensdauer, benannte Zustände) aus dieser JSON-Datei lesen statt aus der eigenen Datei der Karte unter ~/.config/qx5170fp/fixtures.</translation>
    </message>
    <message>
        <source>Keep no switching log (by default every change of the card is logged to ~/.local/state/qx5170fp/&lt;card id&gt;/switching.jsonl).</source>
        <translation>Kein Schaltprotokoll führen (standardmäßig wird jede Änderung der Karte in ~/.local/state/qx5170fp/&lt;card id&gt;/switching.jsonl protokolliert).</translation>
    </message>
    <message>
        <source>Print the SCPI lines that make the changes of a switching log again, and exit.</source>
        <translation>Die SCPI-Zeilen ausgeben, die die Änderungen eines Schaltprotokolls wiederholen, und beenden.</translation>
    </message>
    <message>
        <source>Write the relays of a switching log as a Value Change Dump to OUT.vcd (for sigrok and PulseView), and exit: --log-to-vcd LOG OUT.vcd.</source>
        <translation>Die Relais eines Schaltprotokolls als Value Change Dump nach OUT.vcd schreiben (für sigrok und PulseView) und beenden: --log-to-vcd LOG OUT.vcd.</translation>
    </message>
    <message>
        <source>With --log-to-scpi or --log-to-vcd: only the changes from this time on (ISO 8601, 2026-12-09T14:05:00).</source>
        <translation>Mit --log-to-scpi oder --log-to-vcd: nur die Änderungen ab dieser Zeit (ISO 8601, 2026-12-09T14:05:00).</translation>
    </message>
    <message>
        <source>With --log-to-scpi or --log-to-vcd: only the changes up to this time.</source>
        <translation>Mit --log-to-scpi oder --log-to-vcd: nur die Änderungen bis zu dieser Zeit.</translation>
    </message>
    <message>
        <source>Serve the card without a window or a display: needs a card (--address with --fc, --demo or --scan) and --listen or --http. Ends on SIGTERM or SIGINT; SIGHUP reads the fixture file again.</source>
        <translation>Die Karte ohne Fenster und ohne Bildschirm anbieten: braucht eine Karte (--address mit --fc, --demo oder --scan) und --listen oder --http. Endet mit SIGTERM oder SIGINT; SIGHUP liest die Fixture-Datei neu.</translation>
    </message>
    <message>
        <source>Read more options from this file, one to a line as on the command line (&quot;--listen 0.0.0.0:5025&quot;); blank lines and lines that begin with # are skipped.</source>
        <translation>Weitere Optionen aus dieser Datei lesen, eine je Zeile wie auf der Befehlszeile („--listen 0.0.0.0:5025“); leere Zeilen und Zeilen, die mit # beginnen, werden übergangen.</translation>
    </message>
    <message>
        <source>Usage: %1 [options]</source>
        <extracomment>The first line of --help; %1 is the program&apos;s name.</extracomment>
        <translation>Aufruf: %1 [Optionen]</translation>
    </message>
    <message>
        <source>Options:</source>
        <extracomment>The heading of --help&apos;s list of options.</extracomment>
        <translation>Optionen:</translation>
    </message>
    <message>
        <source>The platform libraries come from the first place named of --library-path,
QX5170FP_LIBRARY_PATH (folders separated by &apos;:&apos;) and the key LibraryPath of
$XDG_CONFIG_HOME/qx5170fp/qx5170fp.conf (by default ~/.config/...), else of
qx5170fp/qx5170fp.conf in $XDG_CONFIG_DIRS (by default /etc/xdg); a place
named that does not hold them ends the program. Without one, the dynamic
linker&apos;s folders are searched, and then the simulated platform is used.</source>
        <extracomment>The end of --help, on a terminal: break lines before column 80, as the English does.</extracomment>
        <translation>Die Plattformbibliotheken kommen vom ersten genannten Ort aus --library-path,
QX5170FP_LIBRARY_PATH (Ordner durch &apos;:&apos; getrennt) und dem Schlüssel LibraryPath
in $XDG_CONFIG_HOME/qx5170fp/qx5170fp.conf (standardmäßig ~/.config/...), sonst
in qx5170fp/qx5170fp.conf in $XDG_CONFIG_DIRS (standardmäßig /etc/xdg); ein
genannter Ort, der sie nicht enthält, beendet das Programm. Ohne einen Ort
werden die Ordner des dynamischen Linkers durchsucht und dann die simulierte
Plattform verwendet.</translation>
    </message>
    <message>
        <source>The toolkit&apos;s own options (-platform, -style, -display, ...) are accepted too.
Exit status: 0, also when the operator cancels or SIGTERM ends --headless;
1 when there is no display to show the panel on, when the platform libraries
are not where a place names them, when the port of --listen cannot be had,
when help or the version cannot be written, or when --headless cannot open
or find its card; 2 when the command line or its options file is wrong, or
when the card&apos;s fixture file cannot be used (it cannot be read, is not JSON
or breaks the format).</source>
        <extracomment>The end of --help, on a terminal: break lines before column 80, as the English does.</extracomment>
        <translation>Die eigenen Optionen des Toolkits (-platform, -style, -display, ...) werden
ebenfalls angenommen.
Exit-Status: 0, auch wenn der Bediener abbricht oder SIGTERM --headless
beendet; 1, wenn kein Bildschirm zum Zeigen des Panels da ist, wenn die
Plattformbibliotheken nicht dort sind, wo ein Ort sie nennt, wenn der Port von
--listen nicht belegt werden kann, wenn die Hilfe oder die Version nicht
geschrieben werden kann oder wenn --headless seine Karte nicht öffnen oder
finden kann; 2, wenn die Befehlszeile oder ihre Optionsdatei falsch ist oder
wenn die Fixture-Datei der Karte nicht verwendet werden kann (sie kann nicht
gelesen werden, ist kein JSON oder verletzt das Format).</translation>
    </message>
</context>
<context>
    <name>ConnectionSequence</name>
    <message>
        <source>Please enter at least one resource descriptor and select the Function Card number.</source>
        <translation>Bitte geben Sie mindestens einen Ressourcen-Deskriptor ein und wählen Sie die Nummer der Funktionskarte.</translation>
    </message>
    <message>
        <source>Please enter the resource descriptors and select the Function Card numbers.</source>
        <translation>Bitte geben Sie die Ressourcen-Deskriptoren ein und wählen Sie die Nummern der Funktionskarten.</translation>
    </message>
    <message>
        <source>Please enter the resource descriptor and select the Function Card number.</source>
        <translation>Bitte geben Sie den Ressourcen-Deskriptor ein und wählen Sie die Nummer der Funktionskarte.</translation>
    </message>
    <message>
        <source>At least one selected %1 Function Card is unavailable.
Error: %2</source>
        <translation>Mindestens eine gewählte Funktionskarte %1 ist nicht verfügbar.
Fehler: %2</translation>
    </message>
    <message>
        <source>Selected %1 Function Card is unavailable.
Error: %2</source>
        <translation>Die gewählte Funktionskarte %1 ist nicht verfügbar.
Fehler: %2</translation>
    </message>
    <message>
        <source>Try Again</source>
        <extracomment>Button: go back to the first question</extracomment>
        <translation>Erneut versuchen</translation>
    </message>
    <message>
        <source>Cancel</source>
        <extracomment>Button: give up connecting and end the program</extracomment>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>How to connect to %1 Function Card?</source>
        <extracomment>The first question; %1 is the card&apos;s model number, e.g. 5170</extracomment>
        <translation>Wie soll die Verbindung zur Funktionskarte %1 hergestellt werden?</translation>
    </message>
    <message>
        <source>Auto Find</source>
        <extracomment>Button: search the system for cards</extracomment>
        <translation>Automatisch suchen</translation>
    </message>
    <message>
        <source>Run In Demo Mode</source>
        <translation>Im Demo-Modus starten</translation>
    </message>
    <message>
        <source>Enter Address</source>
        <extracomment>Button: type a card&apos;s VISA address</extracomment>
        <translation>Adresse eingeben</translation>
    </message>
    <message>
        <source>No %1 Function Card found on your system.</source>
        <extracomment>%1 is the card&apos;s model number, e.g. 5170</extracomment>
        <translation>Keine Funktionskarte %1 in Ihrem System gefunden.</translation>
    </message>
</context>
<context>
    <name>DriverStatusText</name>
    <message>
        <source>%1 failed due to [%2]</source>
        <extracomment>A driver call&apos;s error; %1 is the call (a function name), %2 the driver&apos;s text</extracomment>
        <translation>%1 fehlgeschlagen wegen [%2]</translation>
    </message>
    <message>
        <source>Warning: [%1]</source>
        <extracomment>A driver call&apos;s warning; %1 is the driver&apos;s text</extracomment>
        <translation>Warnung: [%1]</translation>
    </message>
</context>
<context>
    <name>Fixture</name>
    <message>
        <source>&quot;%1&quot; allows one of relays %2</source>
        <extracomment>%1 is the name of a rule of the fixture, %2 a list of relay numbers</extracomment>
        <translation>„%1“ erlaubt nur eines der Relais %2</translation>
    </message>
    <message>
        <source>&quot;%1&quot; forbids relay %2</source>
        <extracomment>%1 is the name of a rule of the fixture, %2 a relay&apos;s number</extracomment>
        <translation>„%1“ verbietet Relais %2</translation>
    </message>
    <message>
        <source>&quot;%1&quot; forbids relays %2</source>
        <translation>„%1“ verbietet die Relais %2</translation>
    </message>
    <message>
        <source>%1 has 1 to %2 characters, not %3</source>
        <extracomment>%1 names the text (&quot;a label&quot;), %2 and %3 are counts of characters</extracomment>
        <translation>%1 hat 1 bis %2 Zeichen, nicht %3</translation>
    </message>
    <message>
        <source>%1 holds a control character (U+%2)</source>
        <extracomment>%1 names the text (&quot;a label&quot;), %2 is a character&apos;s code in hexadecimal</extracomment>
        <translation>%1 enthält ein Steuerzeichen (U+%2)</translation>
    </message>
    <message>
        <source>a sequence has 1 to %1 steps, not %2</source>
        <extracomment>%1 is the most steps a sequence may have, %2 the count it has</extracomment>
        <translation>eine Sequenz hat 1 bis %1 Schritte, nicht %2</translation>
    </message>
    <message>
        <source>step %1 waits %2 ms; a wait is 0 to %3 ms</source>
        <extracomment>%1 is a step&apos;s number (from 1), %2 and %3 are times in milliseconds</extracomment>
        <translation>Schritt %1 wartet %2 ms; eine Wartezeit beträgt 0 bis %3 ms</translation>
    </message>
    <message>
        <source>step %1 names no relay</source>
        <extracomment>%1 is a step&apos;s number (from 1)</extracomment>
        <translation>Schritt %1 nennt kein Relais</translation>
    </message>
    <message>
        <source>step %1 names relay %2; the card has relays 1 to 32</source>
        <extracomment>%1 is a step&apos;s number (from 1), %2 a number that is no relay</extracomment>
        <translation>Schritt %1 nennt Relais %2; die Karte hat die Relais 1 bis 32</translation>
    </message>
    <message>
        <source>step %1 names relay %2 twice</source>
        <extracomment>%1 is a step&apos;s number (from 1), %2 a relay&apos;s number</extracomment>
        <translation>Schritt %1 nennt Relais %2 zweimal</translation>
    </message>
</context>
<context>
    <name>FixtureReader</name>
    <message>
        <source>a fixture is a JSON object</source>
        <translation>eine Fixture ist ein JSON-Objekt</translation>
    </message>
    <message>
        <source>a description</source>
        <translation>eine Beschreibung</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is not a relay of the card (&quot;1&quot; to &quot;32&quot;)</source>
        <extracomment>%1 is a key of the file that should have been a relay&apos;s number</extracomment>
        <translation>„%1“ ist kein Relais der Karte („1“ bis „32“)</translation>
    </message>
    <message>
        <source>a relay is a whole number from 1 to 32</source>
        <translation>ein Relais ist eine ganze Zahl von 1 bis 32</translation>
    </message>
    <message>
        <source>relays are listed in an array</source>
        <translation>Relais werden in einem Array aufgeführt</translation>
    </message>
    <message>
        <source>relay %1 is listed twice</source>
        <extracomment>%1 is a relay&apos;s number</extracomment>
        <translation>Relais %1 ist zweimal aufgeführt</translation>
    </message>
    <message>
        <source>at least one relay is needed</source>
        <translation>mindestens ein Relais ist nötig</translation>
    </message>
    <message>
        <source>at least %1 relays are needed</source>
        <extracomment>%1 is a number of relays, more than one</extracomment>
        <translation>mindestens %1 Relais sind nötig</translation>
    </message>
    <message>
        <source>%1 is a string</source>
        <extracomment>%1 names the value (&quot;a label&quot;)</extracomment>
        <translation>%1 ist eine Zeichenkette</translation>
    </message>
    <message>
        <source>%1 is a JSON object</source>
        <extracomment>%1 names the value (&quot;a rule&quot;, or a key of the file)</extracomment>
        <translation>%1 ist ein JSON-Objekt</translation>
    </message>
    <message>
        <source>a label</source>
        <translation>eine Bezeichnung</translation>
    </message>
    <message>
        <source>&quot;rules&quot; is a JSON array</source>
        <translation>&quot;rules&quot; ist ein JSON-Array</translation>
    </message>
    <message>
        <source>a rule</source>
        <translation>eine Regel</translation>
    </message>
    <message>
        <source>a rule&apos;s name</source>
        <translation>der Name einer Regel</translation>
    </message>
    <message>
        <source>a rule is either &quot;mutual&quot; or &quot;forbidden&quot;, not both</source>
        <translation>eine Regel ist entweder &quot;mutual&quot; oder &quot;forbidden&quot;, nicht beides</translation>
    </message>
    <message>
        <source>a rule needs a &quot;name&quot;</source>
        <translation>eine Regel braucht einen &quot;name&quot;</translation>
    </message>
    <message>
        <source>a rule needs &quot;mutual&quot; or &quot;forbidden&quot; relays</source>
        <translation>eine Regel braucht &quot;mutual&quot;- oder &quot;forbidden&quot;-Relais</translation>
    </message>
    <message>
        <source>a rated life is a whole number of closing cycles, 1 or more</source>
        <translation>eine Nennlebensdauer ist eine ganze Zahl von Schaltspielen, 1 oder mehr</translation>
    </message>
    <message>
        <source>the warning share is a whole percentage from 1 to 100</source>
        <translation>der Warnanteil ist ein ganzzahliger Prozentwert von 1 bis 100</translation>
    </message>
    <message>
        <source>&quot;states&quot; is a JSON array</source>
        <translation>&quot;states&quot; ist ein JSON-Array</translation>
    </message>
    <message>
        <source>a state</source>
        <translation>ein Zustand</translation>
    </message>
    <message>
        <source>a state&apos;s name</source>
        <translation>der Name eines Zustands</translation>
    </message>
    <message>
        <source>the mode is &quot;asynchronous&quot;, &quot;sync-command&quot; or &quot;sync-trigger&quot;</source>
        <translation>der Modus ist &quot;asynchronous&quot;, &quot;sync-command&quot; oder &quot;sync-trigger&quot;</translation>
    </message>
    <message>
        <source>&quot;exclusive&quot; is true or false</source>
        <translation>&quot;exclusive&quot; ist true oder false</translation>
    </message>
    <message>
        <source>a state needs a &quot;name&quot;</source>
        <translation>ein Zustand braucht einen &quot;name&quot;</translation>
    </message>
    <message>
        <source>a state needs its &quot;closed&quot; relays (an empty array for none)</source>
        <translation>ein Zustand braucht seine &quot;closed&quot;-Relais (ein leeres Array für keine)</translation>
    </message>
    <message>
        <source>both relays of pair %1 are closed under the exclusive rule</source>
        <extracomment>%1 is a pair&apos;s number</extracomment>
        <translation>beide Relais von Paar %1 sind unter der Exklusiv-Regel geschlossen</translation>
    </message>
    <message>
        <source>the name &quot;%1&quot; is taken by rule %2</source>
        <extracomment>%1 is a name, %2 the number of the rule (from 0) that has it</extracomment>
        <translation>der Name „%1“ ist schon von Regel %2 belegt</translation>
    </message>
    <message>
        <source>the name &quot;%1&quot; is taken by state %2</source>
        <extracomment>%1 is a name, %2 the number of the state (from 0) that has it</extracomment>
        <translation>der Name „%1“ ist schon von Zustand %2 belegt</translation>
    </message>
    <message>
        <source>line %1, column %2</source>
        <translation>Zeile %1, Spalte %2</translation>
    </message>
    <message>
        <source>not JSON: %1</source>
        <extracomment>%1 says the parser&apos;s reason, in English</extracomment>
        <translation>kein JSON: %1</translation>
    </message>
    <message>
        <source>a number is too large to be read</source>
        <translation>eine Zahl ist zu groß, um gelesen zu werden</translation>
    </message>
    <message>
        <source>the key is given twice in one object</source>
        <translation>der Schlüssel kommt in einem Objekt zweimal vor</translation>
    </message>
    <message>
        <source>the file %1</source>
        <extracomment>%1 says why, as the system says it</extracomment>
        <translation>die Datei %1</translation>
    </message>
    <message>
        <source>the name &quot;%1&quot; is taken by sequence %2</source>
        <extracomment>%1 is a name, %2 the number of the sequence (from 0) that has it</extracomment>
        <translation>der Name „%1“ ist schon von Sequenz %2 belegt</translation>
    </message>
    <message>
        <source>&quot;sequences&quot; is a JSON array</source>
        <translation>&quot;sequences&quot; ist ein JSON-Array</translation>
    </message>
    <message>
        <source>a sequence</source>
        <translation>eine Sequenz</translation>
    </message>
    <message>
        <source>a sequence&apos;s name</source>
        <translation>der Name einer Sequenz</translation>
    </message>
    <message>
        <source>a sequence needs a &quot;name&quot;</source>
        <translation>eine Sequenz braucht einen &quot;name&quot;</translation>
    </message>
    <message>
        <source>a sequence needs its &quot;steps&quot;</source>
        <translation>eine Sequenz braucht ihre &quot;steps&quot;</translation>
    </message>
    <message>
        <source>&quot;steps&quot; is a JSON array</source>
        <translation>&quot;steps&quot; ist ein JSON-Array</translation>
    </message>
    <message>
        <source>a sequence has 1 to %1 steps, not %2</source>
        <extracomment>%1 is the most steps a sequence may have, %2 the count found</extracomment>
        <translation>eine Sequenz hat 1 bis %1 Schritte, nicht %2</translation>
    </message>
    <message>
        <source>a step</source>
        <translation>ein Schritt</translation>
    </message>
    <message>
        <source>a step is one of &quot;close&quot;, &quot;open&quot;, &quot;closeExclusive&quot;, &quot;update&quot; or &quot;wait&quot;, not two</source>
        <translation>ein Schritt hat genau einen der Schlüssel &quot;close&quot;, &quot;open&quot;, &quot;closeExclusive&quot;, &quot;update&quot; und &quot;wait&quot;, nicht zwei</translation>
    </message>
    <message>
        <source>&quot;update&quot; takes only true</source>
        <translation>&quot;update&quot; nimmt nur den Wert true</translation>
    </message>
    <message>
        <source>a wait is a whole number of milliseconds from 0 to %1</source>
        <extracomment>%1 is the longest wait in milliseconds</extracomment>
        <translation>eine Wartezeit ist eine ganze Zahl von 0 bis %1 Millisekunden</translation>
    </message>
    <message>
        <source>a step needs one of &quot;close&quot;, &quot;open&quot;, &quot;closeExclusive&quot;, &quot;update&quot; or &quot;wait&quot;</source>
        <translation>ein Schritt braucht einen der Schlüssel &quot;close&quot;, &quot;open&quot;, &quot;closeExclusive&quot;, &quot;update&quot; und &quot;wait&quot;</translation>
    </message>
</context>
<context>
    <name>LogTools</name>
    <message>
        <source>there is no such file</source>
        <translation>diese Datei gibt es nicht</translation>
    </message>
    <message>
        <source>the log %1 cannot be read: %2</source>
        <extracomment>%1 is the log&apos;s path, %2 says why</extracomment>
        <translation>das Protokoll %1 kann nicht gelesen werden: %2</translation>
    </message>
    <message>
        <source>cannot write to standard output: %1</source>
        <extracomment>%1 says why, as the system says it</extracomment>
        <translation>kann nicht auf die Standardausgabe schreiben: %1</translation>
    </message>
    <message>
        <source>the fixture %1 cannot be used, relays are named by number: %2</source>
        <extracomment>%1 is the fixture&apos;s path, %2 says why</extracomment>
        <translation>die Fixture %1 kann nicht verwendet werden, die Relais werden nach Nummer benannt: %2</translation>
    </message>
    <message>
        <source>the fixture %1: there is no such file</source>
        <extracomment>%1 is the fixture&apos;s path</extracomment>
        <translation>die Fixture %1: diese Datei gibt es nicht</translation>
    </message>
    <message>
        <source>its folder %1 does not exist</source>
        <extracomment>%1 is a folder&apos;s path</extracomment>
        <translation>sein Ordner %1 existiert nicht</translation>
    </message>
    <message>
        <source>%1 cannot be written: %2</source>
        <extracomment>%1 is a file&apos;s path, %2 says why</extracomment>
        <translation>%1 kann nicht geschrieben werden: %2</translation>
    </message>
    <message numerus="yes">
        <source>the log %1: %n line is no switching event, left out</source>
        <extracomment>%1 is the log&apos;s path</extracomment>
        <translation>
            <numerusform>das Protokoll %1: %n Zeile ist kein Schaltereignis, ausgelassen</numerusform>
            <numerusform>das Protokoll %1: %n Zeilen sind keine Schaltereignisse, ausgelassen</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>the log %1: %n lines are no switching events, left out</source>
        <extracomment>%1 is the log&apos;s path</extracomment>
        <translation>
            <numerusform>das Protokoll %1: %n Zeile ist kein Schaltereignis, ausgelassen</numerusform>
            <numerusform>das Protokoll %1: %n Zeilen sind keine Schaltereignisse, ausgelassen</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>PanelRun</name>
    <message>
        <source>The panel ends. Mend or remove the file, then start the panel again.</source>
        <translation>Das Panel wird beendet. Berichtigen oder entfernen Sie die Datei und starten Sie das Panel dann erneut.</translation>
    </message>
    <message>
        <source>The fixture %1 cannot be used: %2</source>
        <extracomment>%1 is the fixture&apos;s file, %2 says why</extracomment>
        <translation>Die Fixture %1 kann nicht verwendet werden: %2</translation>
    </message>
    <message>
        <source>Relay cycles are not counted: %1</source>
        <extracomment>%1 says why</extracomment>
        <translation>Relaisschaltspiele werden nicht gezählt: %1</translation>
    </message>
    <message>
        <source>Relay cycles are not kept: %1</source>
        <extracomment>%1 says why</extracomment>
        <translation>Relaisschaltspiele werden nicht gespeichert: %1</translation>
    </message>
</context>
<context>
    <name>RemoteCommands</name>
    <message numerus="yes">
        <source>Remote: %1, %n client</source>
        <extracomment>The panel&apos;s remote line: %1 is where it listens</extracomment>
        <translation>
            <numerusform>Fernsteuerung: %1, %n Client</numerusform>
            <numerusform>Fernsteuerung: %1, %n Clients</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Remote: %1, %n clients</source>
        <extracomment>The panel&apos;s remote line: %1 is where it listens</extracomment>
        <translation>
            <numerusform>Fernsteuerung: %1, %n Client</numerusform>
            <numerusform>Fernsteuerung: %1, %n Clients</numerusform>
        </translation>
    </message>
    <message>
        <source>, locked</source>
        <extracomment>Added to the remote line while a client holds the remote lock</extracomment>
        <translation>, gesperrt</translation>
    </message>
</context>
<context>
    <name>ResourceInfo</name>
    <message>
        <source>Slot %1 - %2 MB</source>
        <extracomment>A VXI system in the tree of cards found: %1 the slot, %2 the motherboard&apos;s model code</extracomment>
        <translation>Steckplatz %1 - %2 MB</translation>
    </message>
</context>
<context>
    <name>ScanChannels</name>
    <message>
        <source>A channel is missing at the end</source>
        <translation>Am Ende fehlt ein Kanal</translation>
    </message>
    <message>
        <source>A channel is missing before &quot;%1&quot;</source>
        <extracomment>%1 is what follows in the list where a channel should be</extracomment>
        <translation>Vor „%1“ fehlt ein Kanal</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is not a channel: channels are 1 to 32</source>
        <extracomment>%1 is the text that was typed</extracomment>
        <translation>„%1“ ist kein Kanal: Kanäle sind 1 bis 32</translation>
    </message>
    <message>
        <source>The card has no channel %1: channels are 1 to 32</source>
        <translation>Die Karte hat keinen Kanal %1: Kanäle sind 1 bis 32</translation>
    </message>
    <message>
        <source>A group is not closed: &quot;)&quot; is missing</source>
        <translation>Eine Gruppe ist nicht geschlossen: „)“ fehlt</translation>
    </message>
    <message>
        <source>&quot;)&quot; closes no group</source>
        <translation>„)“ schließt keine Gruppe</translation>
    </message>
    <message>
        <source>A comma is missing before &quot;%1&quot;</source>
        <extracomment>%1 is what follows an entry without a comma between</extracomment>
        <translation>Vor „%1“ fehlt ein Komma</translation>
    </message>
    <message>
        <source>A group cannot hold another group</source>
        <translation>Eine Gruppe kann keine andere Gruppe enthalten</translation>
    </message>
    <message>
        <source>A group is empty</source>
        <translation>Eine Gruppe ist leer</translation>
    </message>
    <message>
        <source>Channel %1 is twice in one group</source>
        <extracomment>%1 is a channel&apos;s number</extracomment>
        <translation>Kanal %1 steht zweimal in einer Gruppe</translation>
    </message>
    <message>
        <source>A scan has at most %1 steps</source>
        <extracomment>%1 is the most steps a scan may have</extracomment>
        <translation>Ein Scan hat höchstens %1 Schritte</translation>
    </message>
</context>
<context>
    <name>SetPassword</name>
    <message>
        <source>Password: </source>
        <extracomment>asked on the terminal; what follows is typed without echo</extracomment>
        <translation>Passwort: </translation>
    </message>
    <message>
        <source>Again: </source>
        <extracomment>asked on the terminal for the same password once more</extracomment>
        <translation>Wiederholen: </translation>
    </message>
    <message>
        <source>no password was read (one line, at most %1 bytes)</source>
        <extracomment>%1 is a number of bytes</extracomment>
        <translation>es wurde kein Passwort gelesen (eine Zeile, höchstens %1 Bytes)</translation>
    </message>
    <message>
        <source>the two passwords differ; nothing was written</source>
        <translation>die beiden Passwörter unterscheiden sich; nichts wurde geschrieben</translation>
    </message>
    <message>
        <source>an empty password is refused; nothing was written</source>
        <translation>ein leeres Passwort wird abgelehnt; nichts wurde geschrieben</translation>
    </message>
    <message>
        <source>the password file %1 is not written: %2</source>
        <extracomment>%1 is a file&apos;s path, %2 says why</extracomment>
        <translation>die Passwortdatei %1 wird nicht geschrieben: %2</translation>
    </message>
    <message>
        <source>the password file %1 cannot be written: %2</source>
        <extracomment>%1 is a file&apos;s path, %2 says why</extracomment>
        <translation>die Passwortdatei %1 kann nicht geschrieben werden: %2</translation>
    </message>
</context>
<context>
    <name>SfpMessages</name>
    <message>
        <source>Orbelan %1 SFP Info message</source>
        <extracomment>Title of an information box; %1 is the card&apos;s model number, e.g. 5170</extracomment>
        <translation>Orbelan %1 SFP – Information</translation>
    </message>
    <message>
        <source>Orbelan %1 SFP Warning message</source>
        <extracomment>Title of a warning box; %1 is the card&apos;s model number, e.g. 5170</extracomment>
        <translation>Orbelan %1 SFP – Warnung</translation>
    </message>
    <message>
        <source>Orbelan %1 SFP Error message</source>
        <extracomment>Title of an error box; %1 is the card&apos;s model number, e.g. 5170</extracomment>
        <translation>Orbelan %1 SFP – Fehlermeldung</translation>
    </message>
    <message>
        <source>Do you want to exit?</source>
        <translation>Möchten Sie das Programm beenden?</translation>
    </message>
</context>
<context>
    <name>SwitchingLogView</name>
    <message>
        <source>Time</source>
        <translation>Zeit</translation>
    </message>
    <message>
        <source>Source</source>
        <translation>Quelle</translation>
    </message>
    <message>
        <source>Change</source>
        <translation>Änderung</translation>
    </message>
    <message>
        <source>Switching log</source>
        <translation>Schaltprotokoll</translation>
    </message>
    <message>
        <source>All sources</source>
        <translation>Alle Quellen</translation>
    </message>
    <message>
        <source>Copy as SCPI</source>
        <translation>Als SCPI kopieren</translation>
    </message>
    <message>
        <source>Close</source>
        <extracomment>the button that closes the window</extracomment>
        <translation>Schließen</translation>
    </message>
    <message>
        <source>&amp;Source:</source>
        <translation>&amp;Quelle:</translation>
    </message>
</context>
<context>
    <name>WebPanel</name>
    <message>
        <source>Orbelan 5170 front panel</source>
        <translation>Orbelan 5170 Frontplatte</translation>
    </message>
    <message>
        <source>Connecting…</source>
        <extracomment>The page&apos;s first line until the live connection stands.</extracomment>
        <translation>Verbindung wird aufgebaut…</translation>
    </message>
    <message>
        <source>Switching</source>
        <extracomment>The accessible name of the group of the switching controls.</extracomment>
        <translation>Schalten</translation>
    </message>
    <message>
        <source>Mode</source>
        <extracomment>The switching mode&apos;s list.</extracomment>
        <translation>Schaltmodus</translation>
    </message>
    <message>
        <source>Asynchronous</source>
        <translation>Asynchron</translation>
    </message>
    <message>
        <source>Sync. Command</source>
        <translation>Sync. Befehl</translation>
    </message>
    <message>
        <source>Sync. Trigger</source>
        <translation>Sync. Trigger</translation>
    </message>
    <message>
        <source>Update</source>
        <extracomment>A button: applies the pending relay states (Sync. Command mode).</extracomment>
        <translation>Update</translation>
    </message>
    <message>
        <source>Trigger</source>
        <extracomment>A button: triggers the card (Sync. Trigger mode).</extracomment>
        <translation>Trigger</translation>
    </message>
    <message>
        <source>Synchronized</source>
        <extracomment>A lamp: the card&apos;s relays are as commanded.</extracomment>
        <translation>Synchron</translation>
    </message>
    <message>
        <source>Exclusive</source>
        <extracomment>A check box: at most one relay of a pair closed.</extracomment>
        <translation>Exklusiv</translation>
    </message>
    <message>
        <source>User</source>
        <extracomment>A user name, to log in.</extracomment>
        <translation>Benutzer</translation>
    </message>
    <message>
        <source>Password</source>
        <translation>Passwort</translation>
    </message>
    <message>
        <source>Log in</source>
        <translation>Anmelden</translation>
    </message>
    <message>
        <source>Relay pairs</source>
        <extracomment>The accessible name of the group of the 16 relay pairs.</extracomment>
        <translation>Relaispaare</translation>
    </message>
    <message>
        <source>About this instrument</source>
        <extracomment>A link to the welcome page.</extracomment>
        <translation>Über dieses Gerät</translation>
    </message>
    <message>
        <source>Synchronized: yes</source>
        <extracomment>The accessible name of the lamp.</extracomment>
        <translation>Synchron: ja</translation>
    </message>
    <message>
        <source>Synchronized: no</source>
        <translation>Synchron: nein</translation>
    </message>
    <message>
        <source>Remote lock: nobody</source>
        <translation>Fernsperre: niemand</translation>
    </message>
    <message>
        <source>Remote lock: %1</source>
        <extracomment>%1: who holds the lock, e.g. &quot;web 10.1.2.3:40112 alice&quot;.</extracomment>
        <translation>Fernsperre: %1</translation>
    </message>
    <message>
        <source>(demo)</source>
        <extracomment>After the card&apos;s title when no card is switched.</extracomment>
        <translation>(Demo)</translation>
    </message>
    <message>
        <source>Pair %1</source>
        <extracomment>%1: the pair&apos;s number, 1 to 16.</extracomment>
        <translation>Paar %1</translation>
    </message>
    <message>
        <source>Pair %1 relay %2</source>
        <extracomment>%1: the pair&apos;s number, %2: the relay of the pair, A or B.</extracomment>
        <translation>Paar %1 Relais %2</translation>
    </message>
    <message>
        <source>Relay %1 worn (%2 closings)</source>
        <extracomment>%1: the relay of the pair, A or B; %2: how often it has closed.</extracomment>
        <translation>Relais %1 verschlissen (%2 Schaltspiele)</translation>
    </message>
    <message>
        <source>Relay %1 wearing (%2 closings)</source>
        <extracomment>%1: the relay of the pair, A or B; %2: how often it has closed.</extracomment>
        <translation>Relais %1 nutzt sich ab (%2 Schaltspiele)</translation>
    </message>
    <message>
        <source>Refused: %1</source>
        <extracomment>%1: the server&apos;s reason, in English.</extracomment>
        <translation>Abgelehnt: %1</translation>
    </message>
    <message>
        <source>Not sent: the panel cannot be reached</source>
        <translation>Nicht gesendet: die Frontplatte ist nicht erreichbar</translation>
    </message>
    <message>
        <source>Read-only: %1</source>
        <extracomment>%1: why this page may not change the card, in English.</extracomment>
        <translation>Nur lesen: %1</translation>
    </message>
    <message>
        <source>Connected</source>
        <extracomment>The live connection to the panel stands.</extracomment>
        <translation>Verbunden</translation>
    </message>
    <message>
        <source>Connection lost: reconnecting…</source>
        <translation>Verbindung verloren: wird neu aufgebaut…</translation>
    </message>
    <message>
        <source>Scan: step %1, sweep %2</source>
        <extracomment>Where the card&apos;s scan stands: %1 its step, %2 its sweep.</extracomment>
        <translation>Scan: Schritt %1, Durchlauf %2</translation>
    </message>
    <message>
        <source>Scan: step %1, sweep %2, waiting for a trigger</source>
        <extracomment>The same while the scan waits for a trigger (*TRG).</extracomment>
        <translation>Scan: Schritt %1, Durchlauf %2, wartet auf einen Trigger</translation>
    </message>
    <message>
        <source>Sequence &quot;%1&quot;: step %2</source>
        <extracomment>%1: the name of the stored sequence that runs, %2 its step.</extracomment>
        <translation>Sequenz „%1“: Schritt %2</translation>
    </message>
</context>
<context>
    <name>WebWelcomePage</name>
    <message>
        <source>Demo mode: no card is switched</source>
        <translation>Demo-Modus: Es wird keine Karte geschaltet</translation>
    </message>
    <message>
        <source>Model</source>
        <extracomment>A row of the instrument&apos;s table; the value is its model number.</extracomment>
        <translation>Modell</translation>
    </message>
    <message>
        <source>Manufacturer</source>
        <translation>Hersteller</translation>
    </message>
    <message>
        <source>Serial number (card id)</source>
        <translation>Seriennummer (Karten-ID)</translation>
    </message>
    <message>
        <source>%1 %2 32-channel relay card</source>
        <extracomment>%1: the manufacturer, %2: the model number.</extracomment>
        <translation>%1 %2 32-Kanal-Relaiskarte</translation>
    </message>
    <message>
        <source>Description</source>
        <translation>Beschreibung</translation>
    </message>
    <message>
        <source>Firmware revision</source>
        <translation>Firmware-Revision</translation>
    </message>
    <message>
        <source>Instrument driver revision</source>
        <translation>Revision des Gerätetreibers</translation>
    </message>
    <message>
        <source>Common library revision</source>
        <translation>Revision der gemeinsamen Bibliothek</translation>
    </message>
    <message>
        <source>Soft front panel</source>
        <extracomment>The program&apos;s name; the value is its version.</extracomment>
        <translation>Soft-Frontplatte</translation>
    </message>
    <message>
        <source>Platform</source>
        <extracomment>Which libraries drive the card: the vendor&apos;s or the simulated ones.</extracomment>
        <translation>Plattform</translation>
    </message>
    <message>
        <source>Host name</source>
        <translation>Hostname</translation>
    </message>
    <message>
        <source>IP address</source>
        <translation>IP-Adresse</translation>
    </message>
    <message>
        <source>VISA address</source>
        <translation>VISA-Adresse</translation>
    </message>
    <message>
        <source>Open the front panel</source>
        <translation>Frontplatte öffnen</translation>
    </message>
    <message>
        <source>LXI identification</source>
        <translation>LXI-Identifikation</translation>
    </message>
    <message>
        <source>the simulated platform that comes with the panel: no hardware is switched</source>
        <translation>die mitgelieferte simulierte Plattform: Es wird keine Hardware geschaltet</translation>
    </message>
    <message>
        <source>the vendor&apos;s libraries (%1)</source>
        <extracomment>%1: the folder or installation the vendor&apos;s libraries were loaded from.</extracomment>
        <translation>die Bibliotheken des Herstellers (%1)</translation>
    </message>
</context>
<context>
    <name>qtLicense</name>
    <message>
        <source>Qt LGPL License</source>
        <translation>Qt-LGPL-Lizenz</translation>
    </message>
    <message>
        <source>Ok</source>
        <translation>OK</translation>
    </message>
</context>
<context>
    <name>qx2010fp_About</name>
    <message>
        <source>About Orbelan %1 Soft Front Panel</source>
        <translation>Über Orbelan %1 Soft Front Panel</translation>
    </message>
    <message>
        <source>Device Model:</source>
        <translation>Gerätemodell:</translation>
    </message>
    <message>
        <source>Revision:</source>
        <extracomment>The card&apos;s hardware revision</extracomment>
        <translation>Revision:</translation>
    </message>
    <message>
        <source>Serial Number:</source>
        <translation>Seriennummer:</translation>
    </message>
    <message>
        <source>&lt;font size=&apos;5&apos; bold&gt;Orbelan %1 VXIplug&amp;play Driver&lt;br&gt;Soft Front Panel Application&lt;/font&gt;</source>
        <extracomment>%1 is the card&apos;s model number, e.g. 5170; the markup stays as it is</extracomment>
        <translation>&lt;font size=&apos;5&apos; bold&gt;Orbelan %1 VXIplug&amp;play-Treiber&lt;br&gt;Soft-Front-Panel-Anwendung&lt;/font&gt;</translation>
    </message>
    <message>
        <source>Used under License:</source>
        <translation>Verwendet unter Lizenz:</translation>
    </message>
    <message>
        <source>Version (sources not modified):</source>
        <translation>Version (Quellen unverändert):</translation>
    </message>
    <message>
        <source>Qt Library</source>
        <translation>Qt-Bibliothek</translation>
    </message>
    <message>
        <source>Orbelan Common Library:</source>
        <translation>Orbelan Common Library:</translation>
    </message>
    <message>
        <source>Instrument Driver:</source>
        <translation>Gerätetreiber:</translation>
    </message>
    <message>
        <source>Soft Front Panel:</source>
        <translation>Soft Front Panel:</translation>
    </message>
    <message>
        <source>Software Revisions</source>
        <translation>Software-Revisionen</translation>
    </message>
    <message>
        <source>Hardware Information</source>
        <translation>Hardware-Informationen</translation>
    </message>
    <message>
        <source>&lt; Previous</source>
        <extracomment>Button: the previous card&apos;s hardware information</extracomment>
        <translation>&lt; Zurück</translation>
    </message>
    <message>
        <source>Next &gt;</source>
        <extracomment>Button: the next card&apos;s hardware information</extracomment>
        <translation>Weiter &gt;</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
</context>
<context>
    <name>qx2010fp_AppFC</name>
    <message>
        <source> (simulated)</source>
        <extracomment>Follows a library&apos;s revision in the About box, e.g. &quot;1.4.0 (simulated)&quot;</extracomment>
        <translation> (simuliert)</translation>
    </message>
    <message>
        <source>Shows which LXI module is connected to the Soft Front Panel</source>
        <translation>Zeigt, welches LXI-Modul mit dem Soft Front Panel verbunden ist</translation>
    </message>
    <message>
        <source>Shows which VXI module is connected to the Soft Front Panel</source>
        <translation>Zeigt, welches VXI-Modul mit dem Soft Front Panel verbunden ist</translation>
    </message>
    <message>
        <source>Shows which function card is connected to the Soft Front Panel</source>
        <translation>Zeigt, welche Funktionskarte mit dem Soft Front Panel verbunden ist</translation>
    </message>
    <message>
        <source>Simulated platform: no hardware is switched</source>
        <translation>Simulierte Plattform: keine Hardware wird geschaltet</translation>
    </message>
</context>
<context>
    <name>qx2010fp_app</name>
    <message>
        <source>Enables/disables plot autorescale feature</source>
        <translation>Schaltet die automatische Skalierung der Darstellung ein/aus</translation>
    </message>
    <message>
        <source>Enables/disables visual identification mechanism</source>
        <translation>Schaltet die optische Identifizierung ein/aus</translation>
    </message>
    <message>
        <source>Starts the single-shot data acquisition</source>
        <translation>Startet die einmalige Datenerfassung</translation>
    </message>
    <message>
        <source>Starts the Single-Shot Data Acquisition</source>
        <translation>Startet die einmalige Datenerfassung</translation>
    </message>
    <message>
        <source>Breaks the Single-Shot Data Acquisition</source>
        <translation>Bricht die einmalige Datenerfassung ab</translation>
    </message>
    <message>
        <source>&lt;html&gt;Starts the repetitive data acquisition (or continuous data acquisition, when file storage option is turned on)&lt;/html&gt;</source>
        <translation>&lt;html&gt;Startet die wiederholte Datenerfassung (oder die kontinuierliche Datenerfassung, wenn die Speicherung in eine Datei eingeschaltet ist)&lt;/html&gt;</translation>
    </message>
    <message>
        <source>Stops the Data Acquisition process</source>
        <translation>Beendet die Datenerfassung</translation>
    </message>
    <message>
        <source>ON</source>
        <extracomment>State of a toggle button</extracomment>
        <translation>EIN</translation>
    </message>
    <message>
        <source>OFF</source>
        <translation>AUS</translation>
    </message>
    <message>
        <source>Active</source>
        <extracomment>LED that is lit while the panel drives a real card</extracomment>
        <translation>Aktiv</translation>
    </message>
    <message>
        <source>Green light means that the Soft Front Panel works
in Real (not Demo) mode.</source>
        <translation>Grünes Licht bedeutet, dass das Soft Front Panel
im Echtbetrieb (nicht im Demo-Modus) arbeitet.</translation>
    </message>
    <message>
        <source>Autoscale</source>
        <translation>Autoskalierung</translation>
    </message>
    <message>
        <source>Identify</source>
        <translation>Identifizieren</translation>
    </message>
    <message>
        <source>Reset Device</source>
        <translation>Gerät zurücksetzen</translation>
    </message>
    <message>
        <source>Show on-line help for Instrument Soft Front Panel components</source>
        <translation>Zeigt die Online-Hilfe zu den Bedienelementen des Soft Front Panels</translation>
    </message>
    <message>
        <source>About</source>
        <extracomment>Button that shows the About box</extracomment>
        <translation>Info</translation>
    </message>
    <message>
        <source>Displays &quot;About&quot; panel</source>
        <translation>Zeigt das Fenster „Info“</translation>
    </message>
    <message>
        <source>Close</source>
        <extracomment>Button that closes the main window and ends the program</extracomment>
        <translation>Schließen</translation>
    </message>
    <message>
        <source>Close main panel and terminates program</source>
        <translation>Schließt das Hauptfenster und beendet das Programm</translation>
    </message>
    <message>
        <source>The panel runs on the simulated platform that comes with it: the relays it switches are simulated, no card&apos;s relays move.</source>
        <translation>Das Panel läuft auf der mitgelieferten simulierten Plattform: Die geschalteten Relais sind simuliert, an keiner Karte bewegt sich ein Relais.</translation>
    </message>
    <message>
        <source>Address of the SCPI remote control, the clients connected to it, and whether a client has locked the panel&apos;s controls.</source>
        <translation>Adresse der SCPI-Fernsteuerung, die damit verbundenen Clients und ob ein Client die Bedienelemente des Panels gesperrt hat.</translation>
    </message>
    <message>
        <source>Do you really want to exit?</source>
        <translation>Möchten Sie das Programm wirklich beenden?</translation>
    </message>
</context>
<context>
    <name>qx2010fp_fcEnterAddress</name>
    <message>
        <source>Orbelan %1 SFP: Enter Addresses of Function Cards</source>
        <extracomment>%1 is the card&apos;s model number, e.g. 6052</extracomment>
        <translation>Orbelan %1 SFP: Adressen der Funktionskarten eingeben</translation>
    </message>
    <message>
        <source>Orbelan %1 SFP: Enter Function Card Address</source>
        <translation>Orbelan %1 SFP: Adresse der Funktionskarte eingeben</translation>
    </message>
    <message>
        <source>Count: </source>
        <extracomment>Label of the box that says how many cards&apos; addresses are entered</extracomment>
        <translation>Anzahl: </translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
</context>
<context>
    <name>qx2010fp_fcEnterAddressFc</name>
    <message>
        <source>Enter the Instrument descriptor for the Function Card you want to connect to.&lt;br&gt;Examples:&lt;br&gt;&lt;b&gt;VXI0::1::INSTR&lt;/b&gt; - VXI mainframe 0, Module with Logical Address 1&lt;br&gt;&lt;b&gt;TCPIP::192.168.2.60::INSTR&lt;/b&gt; - Network Instrument with IP Address 192.168.2.60</source>
        <extracomment>Tool tip of the descriptor box; the descriptors and the markup stay as they are</extracomment>
        <translation>Geben Sie den Geräte-Deskriptor der Funktionskarte ein, mit der Sie sich verbinden möchten.&lt;br&gt;Beispiele:&lt;br&gt;&lt;b&gt;VXI0::1::INSTR&lt;/b&gt; - VXI-Mainframe 0, Modul mit logischer Adresse 1&lt;br&gt;&lt;b&gt;TCPIP::192.168.2.60::INSTR&lt;/b&gt; - Netzwerkgerät mit IP-Adresse 192.168.2.60</translation>
    </message>
    <message>
        <source>Instrument Descriptor:</source>
        <translation>Geräte-Deskriptor:</translation>
    </message>
    <message>
        <source>Function Card Number:</source>
        <translation>Nummer der Funktionskarte:</translation>
    </message>
    <message>
        <source>Select</source>
        <extracomment>First entry of the card number box, before a number is chosen</extracomment>
        <translation>Auswählen</translation>
    </message>
    <message>
        <source>Select the Function Card Number</source>
        <translation>Wählen Sie die Nummer der Funktionskarte</translation>
    </message>
</context>
<context>
    <name>qx2010fp_fcSelect</name>
    <message>
        <source>Orbelan %1 SFP: Select Function Card</source>
        <extracomment>%1 is the card&apos;s model number, e.g. 5170</extracomment>
        <translation>Orbelan %1 SFP: Funktionskarte auswählen</translation>
    </message>
    <message>
        <source>System</source>
        <extracomment>Headers of the tree of the cards found: the mainframe or LXI box, and the card&apos;s model</extracomment>
        <translation>System</translation>
    </message>
    <message>
        <source>FC Model</source>
        <translation>FC-Modell</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>Found more Function Cards than supported by this SoftFrontPanel. Only first %1 are available.
Please contact Tarvex&apos;s support if you need support for more cards.</source>
        <extracomment>%1 is the largest number of cards the panel takes, e.g. 8</extracomment>
        <translation>Es wurden mehr Funktionskarten gefunden, als dieses Soft Front Panel unterstützt. Nur die ersten %1 sind verfügbar.
Bitte wenden Sie sich an den Tarvex-Support, wenn Sie mehr Karten benötigen.</translation>
    </message>
    <message>
        <source>Continue</source>
        <translation>Weiter</translation>
    </message>
    <message>
        <source>Searching...</source>
        <extracomment>Progress of the search for cards</extracomment>
        <translation>Suche läuft...</translation>
    </message>
</context>
<context>
    <name>qx2010fp_led</name>
    <message>
        <source>lit</source>
        <extracomment>What a screen reader says of the LED: its light is on or off</extracomment>
        <translation>leuchtet</translation>
    </message>
    <message>
        <source>unlit</source>
        <translation>aus</translation>
    </message>
</context>
<context>
    <name>qx5170_fc</name>
    <message>
        <source>32-Channel Relay/Switching Function Card</source>
        <extracomment>The card&apos;s kind, under its model in the window&apos;s header and on the splash</extracomment>
        <translation>32-Kanal-Relais-/Schaltfunktionskarte</translation>
    </message>
</context>
<context>
    <name>qx5170_sfpRelayPair</name>
    <message>
        <source>Switch on or off relay %1</source>
        <extracomment>%1 is the relay&apos;s letter in its pair, A or B</extracomment>
        <translation>Relais %1 ein- oder ausschalten</translation>
    </message>
    <message>
        <source>Pair %1</source>
        <extracomment>%1 is the pair&apos;s number</extracomment>
        <translation>Paar %1</translation>
    </message>
    <message>
        <source>A:</source>
        <extracomment>the label of a pair&apos;s relay A</extracomment>
        <translation>A:</translation>
    </message>
    <message>
        <source>B:</source>
        <extracomment>the label of a pair&apos;s relay B</extracomment>
        <translation>B:</translation>
    </message>
    <message>
        <source>Pair %1 relay A</source>
        <extracomment>%1 is the pair&apos;s number</extracomment>
        <translation>Paar %1 Relais A</translation>
    </message>
    <message>
        <source>Pair %1 relay B</source>
        <extracomment>%1 is the pair&apos;s number</extracomment>
        <translation>Paar %1 Relais B</translation>
    </message>
    <message>
        <source>Label...</source>
        <translation>Bezeichnung...</translation>
    </message>
    <message>
        <source>
%1: closed %2 times of a rated %3</source>
        <extracomment>%1 is &quot;Worn out&quot; or &quot;Wearing&quot;, %2 and %3 counts of closings</extracomment>
        <translation>
%1: %2-mal geschlossen von %3 Nennschaltspielen</translation>
    </message>
    <message>
        <source>Worn out</source>
        <translation>Verschlissen</translation>
    </message>
    <message>
        <source>Wearing</source>
        <translation>Verschleißt</translation>
    </message>
    <message>
        <source>Relay label</source>
        <translation>Relaisbezeichnung</translation>
    </message>
    <message>
        <source>Label of pair %1 relay %2 (relay %3), up to %4 characters; empty for none:</source>
        <extracomment>%1 is the pair&apos;s number, %2 the relay&apos;s letter (A, B), %3 the relay&apos;s number, %4 the greatest number of characters of a label</extracomment>
        <translation>Bezeichnung von Paar %1 Relais %2 (Relais %3), bis zu %4 Zeichen; leer für keine:</translation>
    </message>
    <message>
        <source>The label was not changed: %1.</source>
        <extracomment>%1 says why</extracomment>
        <translation>Die Bezeichnung wurde nicht geändert: %1.</translation>
    </message>
</context>
<context>
    <name>qx5170fp_App</name>
    <message>
        <source>Selects relays state update mode.
Possible modes: Asynchronous, Synch. Command, Synch. Trigger
Asynchronous - immediate update after changing relay state,
Synch. Command - update takes place after issuing command,
Synch. Trigger - update takes place after trigger activation.</source>
        <translation>Wählt, wann die Relaiszustände übernommen werden.
Mögliche Modi: Asynchron, Sync. Befehl, Sync. Trigger
Asynchron – sofortige Übernahme nach dem Ändern eines Relais,
Sync. Befehl – Übernahme nach einem Update-Befehl,
Sync. Trigger – Übernahme nach einem Triggersignal.</translation>
    </message>
    <message>
        <source>Generates synchronization trigger signal.</source>
        <translation>Erzeugt das Synchronisations-Triggersignal.</translation>
    </message>
    <message>
        <source>Issues update command to update relays state in synchronous mode.</source>
        <translation>Sendet im synchronen Modus den Update-Befehl, der die Relaiszustände übernimmt.</translation>
    </message>
    <message>
        <source>Indicates if relays state was updated in synchronous mode.
Red color - not synchronized,
Green color - synchronized.
Always green in asynchronous mode.</source>
        <translation>Zeigt, ob die Relaiszustände im synchronen Modus übernommen wurden.
Rot – nicht synchronisiert,
Grün – synchronisiert.
Im asynchronen Modus immer grün.</translation>
    </message>
    <message>
        <source>Turns on exclusive mode. In this mode only one of the relays in pair can be switched on.</source>
        <translation>Schaltet den Exklusiv-Modus ein. In diesem Modus kann nur eines der beiden Relais eines Paars eingeschaltet sein.</translation>
    </message>
    <message>
        <source>Asynchronous</source>
        <translation>Asynchron</translation>
    </message>
    <message>
        <source>Sync. Command</source>
        <translation>Sync. Befehl</translation>
    </message>
    <message>
        <source>Sync. Trigger</source>
        <translation>Sync. Trigger</translation>
    </message>
    <message>
        <source>Switching Mode Control</source>
        <translation>Schaltmodus</translation>
    </message>
    <message>
        <source>Trigger</source>
        <translation>Trigger</translation>
    </message>
    <message>
        <source>Update</source>
        <translation>Update</translation>
    </message>
    <message>
        <source>Synchronized</source>
        <translation>Synchron</translation>
    </message>
    <message>
        <source>Exclusive</source>
        <translation>Exklusiv</translation>
    </message>
    <message>
        <source>Refused: %1</source>
        <extracomment>%1 says why a change of the card was refused</extracomment>
        <translation>Abgelehnt: %1</translation>
    </message>
    <message>
        <source>The switching log is not kept: %1</source>
        <extracomment>%1 says why, as the system says it</extracomment>
        <translation>Das Schaltprotokoll wird nicht geführt: %1</translation>
    </message>
    <message>
        <source>Switching log...</source>
        <translation>Schaltprotokoll...</translation>
    </message>
    <message>
        <source>Apply &quot;%1&quot;</source>
        <extracomment>%1 is the name of a state of the fixture</extracomment>
        <translation>„%1“ anwenden</translation>
    </message>
    <message>
        <source>Save current state as...</source>
        <translation>Aktuellen Zustand speichern als...</translation>
    </message>
    <message>
        <source>Save state</source>
        <translation>Zustand speichern</translation>
    </message>
    <message>
        <source>Name of the state (the closed relays, the mode and the exclusive rule), up to %1 characters; a state of that name is replaced:</source>
        <extracomment>%1 is the greatest number of characters of a name</extracomment>
        <translation>Name des Zustands (die geschlossenen Relais, der Modus und die Exklusiv-Regel), bis zu %1 Zeichen; ein Zustand dieses Namens wird ersetzt:</translation>
    </message>
    <message>
        <source>The state was not saved: %1.</source>
        <extracomment>%1 says why</extracomment>
        <translation>Der Zustand wurde nicht gespeichert: %1.</translation>
    </message>
    <message>
        <source>Scan...</source>
        <translation>Scan...</translation>
    </message>
    <message>
        <source>Run sequence &quot;%1&quot;</source>
        <extracomment>%1 is the name of a stored sequence of the fixture</extracomment>
        <translation>Sequenz „%1“ ausführen</translation>
    </message>
</context>
<context>
    <name>sfp::ScanDialog</name>
    <message>
        <source>Immediate</source>
        <translation>Sofort</translation>
    </message>
    <message>
        <source>Step button</source>
        <translation>Schaltfläche „Schritt“</translation>
    </message>
    <message>
        <source>Timer</source>
        <translation>Timer</translation>
    </message>
    <message>
        <source>Channels to scan, in order, e.g. 1,3:5,(7,9).
A channel or a range gives one step per channel,
channels in parentheses are closed together in one step.</source>
        <translation>Zu scannende Kanäle in ihrer Reihenfolge, z. B. 1,3:5,(7,9).
Ein Kanal oder ein Bereich ergibt einen Schritt je Kanal,
Kanäle in Klammern werden in einem Schritt zusammen geschlossen.</translation>
    </message>
    <message>
        <source>Settle time after the channels of a step close, before the step is complete; the same for every listed channel.</source>
        <translation>Einschwingzeit nach dem Schließen der Kanäle eines Schritts, bevor der Schritt abgeschlossen ist; dieselbe für jeden aufgeführten Kanal.</translation>
    </message>
    <message>
        <source>Selects what moves the scan to its next step.
Immediate - the next step follows once the last is complete,
Step button - the Step button or a script&apos;s trigger,
Timer - each step starts one interval after the one before.</source>
        <translation>Wählt, was den Scan zum nächsten Schritt bringt.
Sofort - der nächste Schritt folgt, sobald der letzte abgeschlossen ist,
Schaltfläche „Schritt“ - die Schaltfläche „Schritt“ oder der Trigger eines Skripts,
Timer - jeder Schritt beginnt ein Intervall nach dem vorigen.</translation>
    </message>
    <message>
        <source>Time from the start of one step to the start of the next with the Timer.</source>
        <translation>Zeit vom Beginn eines Schritts bis zum Beginn des nächsten mit dem Timer.</translation>
    </message>
    <message>
        <source>Number of sweeps through the channel list.</source>
        <translation>Anzahl der Durchläufe durch die Kanalliste.</translation>
    </message>
    <message>
        <source>Sweeps through the channel list until Stop is pressed.</source>
        <translation>Durchläuft die Kanalliste, bis „Stopp“ gedrückt wird.</translation>
    </message>
    <message>
        <source>Applies the settings to the card and starts the scan.</source>
        <translation>Übernimmt die Einstellungen in die Karte und startet den Scan.</translation>
    </message>
    <message>
        <source>Takes the next step of a scan that waits for it.</source>
        <translation>Führt den nächsten Schritt eines Scans aus, der darauf wartet.</translation>
    </message>
    <message>
        <source>Stops the scan or sequence at once; the scan&apos;s channels are opened.</source>
        <translation>Hält den Scan oder die Sequenz sofort an; die Kanäle des Scans werden geöffnet.</translation>
    </message>
    <message>
        <source>Shows the step and sweep of the scan or sequence, or how it ended.</source>
        <translation>Zeigt Schritt und Durchlauf des Scans oder der Sequenz, oder wie der Lauf endete.</translation>
    </message>
    <message>
        <source>&amp;No end</source>
        <translation>&amp;Ohne Ende</translation>
    </message>
    <message>
        <source>S&amp;tart</source>
        <translation>S&amp;tarten</translation>
    </message>
    <message>
        <source>Ste&amp;p</source>
        <translation>Sc&amp;hritt</translation>
    </message>
    <message>
        <source>St&amp;op</source>
        <translation>Sto&amp;pp</translation>
    </message>
    <message>
        <source>Scan</source>
        <translation>Scan</translation>
    </message>
    <message>
        <source>e.g. 1,3:5,(7,9)</source>
        <extracomment>An example of a channel list, as a script writes one</extracomment>
        <translation>z. B. 1,3:5,(7,9)</translation>
    </message>
    <message>
        <source> ms</source>
        <extracomment>The unit after a time in milliseconds</extracomment>
        <translation> ms</translation>
    </message>
    <message>
        <source>&amp;Channels:</source>
        <translation>&amp;Kanäle:</translation>
    </message>
    <message>
        <source>&amp;Settle time:</source>
        <translation>&amp;Einschwingzeit:</translation>
    </message>
    <message>
        <source>T&amp;rigger:</source>
        <translation>T&amp;rigger:</translation>
    </message>
    <message>
        <source>&amp;Interval:</source>
        <translation>&amp;Intervall:</translation>
    </message>
    <message>
        <source>Co&amp;unt:</source>
        <translation>An&amp;zahl:</translation>
    </message>
    <message>
        <source>Close</source>
        <extracomment>the button that closes the window</extracomment>
        <translation>Schließen</translation>
    </message>
    <message>
        <source>Step %1 of %2, sweep %3 of %4</source>
        <translation>Schritt %1 von %2, Durchlauf %3 von %4</translation>
    </message>
    <message>
        <source>Step %1 of %2, sweep %3</source>
        <extracomment>Where a scan without end stands: its step of all, its sweep</extracomment>
        <translation>Schritt %1 von %2, Durchlauf %3</translation>
    </message>
    <message>
        <source>%1. Waiting for Step</source>
        <extracomment>%1 says where the scan stands</extracomment>
        <translation>%1. Wartet auf „Schritt“</translation>
    </message>
    <message>
        <source>Sequence: step %1</source>
        <extracomment>%1 is the number of the sequence&apos;s steps taken</extracomment>
        <translation>Sequenz: Schritt %1</translation>
    </message>
    <message>
        <source>Not running</source>
        <translation>Läuft nicht</translation>
    </message>
    <message>
        <source>Done</source>
        <translation>Fertig</translation>
    </message>
    <message>
        <source>Stopped</source>
        <translation>Angehalten</translation>
    </message>
    <message>
        <source>Ended: %1</source>
        <extracomment>%1 says why the card ended the scan or sequence</extracomment>
        <translation>Abgebrochen: %1</translation>
    </message>
    <message>
        <source>Not started: %1</source>
        <extracomment>%1 says why the scan was not started</extracomment>
        <translation>Nicht gestartet: %1</translation>
    </message>
    <message>
        <source>Not stopped: %1</source>
        <extracomment>%1 says why the run was not stopped</extracomment>
        <translation>Nicht angehalten: %1</translation>
    </message>
    <message>
        <source>Waiting for the first Step</source>
        <translation>Wartet auf den ersten „Schritt“</translation>
    </message>
</context>
</TS>
