<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de">
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
        <translation>Aktualisieren</translation>
    </message>
    <message>
        <source>Trigger</source>
        <extracomment>A button: triggers the card (Sync. Trigger mode).</extracomment>
        <translation>Auslösen</translation>
    </message>
    <message>
        <source>Synchronized</source>
        <extracomment>A lamp: the card&apos;s relays are as commanded.</extracomment>
        <translation>Synchronisiert</translation>
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
        <translation>Synchronisiert: ja</translation>
    </message>
    <message>
        <source>Synchronized: no</source>
        <translation>Synchronisiert: nein</translation>
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
    <name>qx2010fp_About</name>
    <message>
        <source>About Orbelan %1 Soft Front Panel</source>
        <translation type="unfinished"></translation>
    </message>
</context>
</TS>
