<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
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
    <name>ResourceInfo</name>
    <message>
        <source>Slot %1 - %2 MB</source>
        <extracomment>A VXI system in the tree of cards found: %1 the slot, %2 the motherboard&apos;s model code</extracomment>
        <translation>Steckplatz %1 - %2 MB</translation>
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
        <source>About Orbelan %1 Soft Front Panel</source>
        <translation>Über Orbelan %1 Soft Front Panel</translation>
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
</TS>
