<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
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
        <source>the log %1: 1 line is no switching event, left out</source>
        <extracomment>%1 is the log&apos;s path</extracomment>
        <translation>das Protokoll %1: 1 Zeile ist kein Schaltereignis, ausgelassen</translation>
    </message>
    <message>
        <source>the log %1: %2 lines are no switching events, left out</source>
        <extracomment>%1 is the log&apos;s path, %2 a number of lines (more than one)</extracomment>
        <translation>das Protokoll %1: %2 Zeilen sind keine Schaltereignisse, ausgelassen</translation>
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
</context>
</TS>
