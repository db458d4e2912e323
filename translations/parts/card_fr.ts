<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="fr_FR">
<context>
    <name>CardService</name>
    <message>
        <source>there is no such file</source>
        <translation>ce fichier n&apos;existe pas</translation>
    </message>
</context>
<context>
    <name>CardSession</name>
    <message>
        <source>a label</source>
        <translation>une étiquette</translation>
    </message>
    <message>
        <source>the panel has no fixture file</source>
        <translation>le panneau n&apos;a pas de fichier de montage</translation>
    </message>
    <message>
        <source>the fixture file cannot be written: %1</source>
        <extracomment>%1 says why, as the system says it</extracomment>
        <translation>le fichier de montage ne peut pas être écrit : %1</translation>
    </message>
    <message>
        <source>a state&apos;s name</source>
        <translation>le nom d&apos;un état</translation>
    </message>
    <message>
        <source>both relays of pair %1 would be closed under the exclusive rule</source>
        <extracomment>%1 is a pair&apos;s number</extracomment>
        <translation>les deux relais de la paire %1 seraient fermés sous la règle exclusive</translation>
    </message>
    <message>
        <source>no state is named &quot;%1&quot;</source>
        <extracomment>%1 is the name of a state of the fixture</extracomment>
        <translation>aucun état ne s&apos;appelle « %1 »</translation>
    </message>
    <message>
        <source>both relays of a pair are closed under the exclusive rule</source>
        <translation>les deux relais d&apos;une paire sont fermés sous la règle exclusive</translation>
    </message>
</context>
<context>
    <name>Fixture</name>
    <message>
        <source>&quot;%1&quot; allows one of relays %2</source>
        <extracomment>%1 is the name of a rule of the fixture, %2 a list of relay numbers</extracomment>
        <translation>« %1 » n&apos;autorise qu&apos;un seul des relais %2</translation>
    </message>
    <message>
        <source>&quot;%1&quot; forbids relay %2</source>
        <extracomment>%1 is the name of a rule of the fixture, %2 a relay&apos;s number</extracomment>
        <translation>« %1 » interdit le relais %2</translation>
    </message>
    <message>
        <source>&quot;%1&quot; forbids relays %2</source>
        <translation>« %1 » interdit les relais %2</translation>
    </message>
    <message>
        <source>%1 has 1 to %2 characters, not %3</source>
        <extracomment>%1 names the text (&quot;a label&quot;), %2 and %3 are counts of characters</extracomment>
        <translation>%1 a de 1 à %2 caractères, et non %3</translation>
    </message>
    <message>
        <source>%1 holds a control character (U+%2)</source>
        <extracomment>%1 names the text (&quot;a label&quot;), %2 is a character&apos;s code in hexadecimal</extracomment>
        <translation>%1 contient un caractère de contrôle (U+%2)</translation>
    </message>
</context>
<context>
    <name>FixtureReader</name>
    <message>
        <source>a fixture is a JSON object</source>
        <translation>un montage est un objet JSON</translation>
    </message>
    <message>
        <source>a description</source>
        <translation>une description</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is not a relay of the card (&quot;1&quot; to &quot;32&quot;)</source>
        <extracomment>%1 is a key of the file that should have been a relay&apos;s number</extracomment>
        <translation>« %1 » n&apos;est pas un relais de la carte (« 1 » à « 32 »)</translation>
    </message>
    <message>
        <source>a relay is a whole number from 1 to 32</source>
        <translation>un relais est un nombre entier de 1 à 32</translation>
    </message>
    <message>
        <source>relays are listed in an array</source>
        <translation>les relais sont listés dans un tableau</translation>
    </message>
    <message>
        <source>relay %1 is listed twice</source>
        <extracomment>%1 is a relay&apos;s number</extracomment>
        <translation>le relais %1 est listé deux fois</translation>
    </message>
    <message>
        <source>at least one relay is needed</source>
        <translation>au moins un relais est nécessaire</translation>
    </message>
    <message>
        <source>at least %1 relays are needed</source>
        <extracomment>%1 is a number of relays, more than one</extracomment>
        <translation>au moins %1 relais sont nécessaires</translation>
    </message>
    <message>
        <source>%1 is a string</source>
        <extracomment>%1 names the value (&quot;a label&quot;)</extracomment>
        <translation>%1 est une chaîne de caractères</translation>
    </message>
    <message>
        <source>%1 is a JSON object</source>
        <extracomment>%1 names the value (&quot;a rule&quot;, or a key of the file)</extracomment>
        <translation>%1 est un objet JSON</translation>
    </message>
    <message>
        <source>a label</source>
        <translation>une étiquette</translation>
    </message>
    <message>
        <source>&quot;rules&quot; is a JSON array</source>
        <translation>&quot;rules&quot; est un tableau JSON</translation>
    </message>
    <message>
        <source>a rule</source>
        <translation>une règle</translation>
    </message>
    <message>
        <source>a rule&apos;s name</source>
        <translation>le nom d&apos;une règle</translation>
    </message>
    <message>
        <source>a rule is either &quot;mutual&quot; or &quot;forbidden&quot;, not both</source>
        <translation>une règle est soit &quot;mutual&quot; soit &quot;forbidden&quot;, pas les deux</translation>
    </message>
    <message>
        <source>a rule needs a &quot;name&quot;</source>
        <translation>une règle a besoin d&apos;un &quot;name&quot;</translation>
    </message>
    <message>
        <source>a rule needs &quot;mutual&quot; or &quot;forbidden&quot; relays</source>
        <translation>une règle a besoin de relais &quot;mutual&quot; ou &quot;forbidden&quot;</translation>
    </message>
    <message>
        <source>a rated life is a whole number of closing cycles, 1 or more</source>
        <translation>une durée de vie nominale est un nombre entier de cycles de fermeture, 1 ou plus</translation>
    </message>
    <message>
        <source>the warning share is a whole percentage from 1 to 100</source>
        <translation>le seuil d&apos;avertissement est un pourcentage entier de 1 à 100</translation>
    </message>
    <message>
        <source>&quot;states&quot; is a JSON array</source>
        <translation>&quot;states&quot; est un tableau JSON</translation>
    </message>
    <message>
        <source>a state</source>
        <translation>un état</translation>
    </message>
    <message>
        <source>a state&apos;s name</source>
        <translation>le nom d&apos;un état</translation>
    </message>
    <message>
        <source>the mode is &quot;asynchronous&quot;, &quot;sync-command&quot; or &quot;sync-trigger&quot;</source>
        <translation>le mode est &quot;asynchronous&quot;, &quot;sync-command&quot; ou &quot;sync-trigger&quot;</translation>
    </message>
    <message>
        <source>&quot;exclusive&quot; is true or false</source>
        <translation>&quot;exclusive&quot; vaut true ou false</translation>
    </message>
    <message>
        <source>a state needs a &quot;name&quot;</source>
        <translation>un état a besoin d&apos;un &quot;name&quot;</translation>
    </message>
    <message>
        <source>a state needs its &quot;closed&quot; relays (an empty array for none)</source>
        <translation>un état a besoin de ses relais &quot;closed&quot; (un tableau vide pour aucun)</translation>
    </message>
    <message>
        <source>both relays of pair %1 are closed under the exclusive rule</source>
        <extracomment>%1 is a pair&apos;s number</extracomment>
        <translation>les deux relais de la paire %1 sont fermés sous la règle exclusive</translation>
    </message>
    <message>
        <source>the name &quot;%1&quot; is taken by rule %2</source>
        <extracomment>%1 is a name, %2 the number of the rule (from 0) that has it</extracomment>
        <translation>le nom « %1 » est déjà pris par la règle %2</translation>
    </message>
    <message>
        <source>the name &quot;%1&quot; is taken by state %2</source>
        <extracomment>%1 is a name, %2 the number of the state (from 0) that has it</extracomment>
        <translation>le nom « %1 » est déjà pris par l&apos;état %2</translation>
    </message>
    <message>
        <source>line %1, column %2</source>
        <translation>ligne %1, colonne %2</translation>
    </message>
    <message>
        <source>not JSON: %1</source>
        <extracomment>%1 says the parser&apos;s reason, in English</extracomment>
        <translation>pas du JSON : %1</translation>
    </message>
    <message>
        <source>a number is too large to be read</source>
        <translation>un nombre est trop grand pour être lu</translation>
    </message>
    <message>
        <source>the key is given twice in one object</source>
        <translation>la clé figure deux fois dans un même objet</translation>
    </message>
    <message>
        <source>the file %1</source>
        <extracomment>%1 says why, as the system says it</extracomment>
        <translation>le fichier %1</translation>
    </message>
</context>
<context>
    <name>LogTools</name>
    <message>
        <source>there is no such file</source>
        <translation>ce fichier n&apos;existe pas</translation>
    </message>
    <message>
        <source>the log %1 cannot be read: %2</source>
        <extracomment>%1 is the log&apos;s path, %2 says why</extracomment>
        <translation>le journal %1 ne peut pas être lu : %2</translation>
    </message>
    <message>
        <source>the log %1: 1 line is no switching event, left out</source>
        <extracomment>%1 is the log&apos;s path</extracomment>
        <translation>le journal %1 : 1 ligne n&apos;est pas un événement de commutation, ignorée</translation>
    </message>
    <message>
        <source>the log %1: %2 lines are no switching events, left out</source>
        <extracomment>%1 is the log&apos;s path, %2 a number of lines (more than one)</extracomment>
        <translation>le journal %1 : %2 lignes ne sont pas des événements de commutation, ignorées</translation>
    </message>
    <message>
        <source>cannot write to standard output: %1</source>
        <extracomment>%1 says why, as the system says it</extracomment>
        <translation>impossible d&apos;écrire sur la sortie standard : %1</translation>
    </message>
    <message>
        <source>the fixture %1 cannot be used, relays are named by number: %2</source>
        <extracomment>%1 is the fixture&apos;s path, %2 says why</extracomment>
        <translation>le montage %1 ne peut pas être utilisé, les relais sont nommés par leur numéro : %2</translation>
    </message>
    <message>
        <source>the fixture %1: there is no such file</source>
        <extracomment>%1 is the fixture&apos;s path</extracomment>
        <translation>le montage %1 : ce fichier n&apos;existe pas</translation>
    </message>
    <message>
        <source>its folder %1 does not exist</source>
        <extracomment>%1 is a folder&apos;s path</extracomment>
        <translation>son dossier %1 n&apos;existe pas</translation>
    </message>
    <message>
        <source>%1 cannot be written: %2</source>
        <extracomment>%1 is a file&apos;s path, %2 says why</extracomment>
        <translation>%1 ne peut pas être écrit : %2</translation>
    </message>
</context>
<context>
    <name>PanelRun</name>
    <message>
        <source>The panel ends. Mend or remove the file, then start the panel again.</source>
        <translation>Le panneau se termine. Corrigez ou supprimez le fichier, puis relancez le panneau.</translation>
    </message>
    <message>
        <source>The fixture %1 cannot be used: %2</source>
        <extracomment>%1 is the fixture&apos;s file, %2 says why</extracomment>
        <translation>Le montage %1 ne peut pas être utilisé : %2</translation>
    </message>
    <message>
        <source>Relay cycles are not counted: %1</source>
        <extracomment>%1 says why</extracomment>
        <translation>Les cycles des relais ne sont pas comptés : %1</translation>
    </message>
    <message>
        <source>Relay cycles are not kept: %1</source>
        <extracomment>%1 says why</extracomment>
        <translation>Les cycles des relais ne sont pas enregistrés : %1</translation>
    </message>
</context>
<context>
    <name>SetPassword</name>
    <message>
        <source>Password: </source>
        <extracomment>asked on the terminal; what follows is typed without echo</extracomment>
        <translation>Mot de passe : </translation>
    </message>
    <message>
        <source>Again: </source>
        <extracomment>asked on the terminal for the same password once more</extracomment>
        <translation>Confirmation : </translation>
    </message>
    <message>
        <source>no password was read (one line, at most %1 bytes)</source>
        <extracomment>%1 is a number of bytes</extracomment>
        <translation>aucun mot de passe n&apos;a été lu (une ligne, au plus %1 octets)</translation>
    </message>
    <message>
        <source>the two passwords differ; nothing was written</source>
        <translation>les deux mots de passe diffèrent ; rien n&apos;a été écrit</translation>
    </message>
    <message>
        <source>an empty password is refused; nothing was written</source>
        <translation>un mot de passe vide est refusé ; rien n&apos;a été écrit</translation>
    </message>
    <message>
        <source>the password file %1 is not written: %2</source>
        <extracomment>%1 is a file&apos;s path, %2 says why</extracomment>
        <translation>le fichier de mots de passe %1 n&apos;est pas écrit : %2</translation>
    </message>
    <message>
        <source>the password file %1 cannot be written: %2</source>
        <extracomment>%1 is a file&apos;s path, %2 says why</extracomment>
        <translation>le fichier de mots de passe %1 ne peut pas être écrit : %2</translation>
    </message>
</context>
<context>
    <name>SwitchingLogView</name>
    <message>
        <source>Time</source>
        <translation>Heure</translation>
    </message>
    <message>
        <source>Source</source>
        <translation>Source</translation>
    </message>
    <message>
        <source>Change</source>
        <translation>Changement</translation>
    </message>
    <message>
        <source>Switching log</source>
        <translation>Journal de commutation</translation>
    </message>
    <message>
        <source>All sources</source>
        <translation>Toutes les sources</translation>
    </message>
    <message>
        <source>Copy as SCPI</source>
        <translation>Copier en SCPI</translation>
    </message>
    <message>
        <source>Close</source>
        <extracomment>the button that closes the window</extracomment>
        <translation>Fermer</translation>
    </message>
    <message>
        <source>&amp;Source:</source>
        <translation>&amp;Source :</translation>
    </message>
</context>
<context>
    <name>qx5170_sfpRelayPair</name>
    <message>
        <source>Switch on or off relay %1</source>
        <extracomment>%1 is the relay&apos;s letter in its pair, A or B</extracomment>
        <translation>Active ou désactive le relais %1</translation>
    </message>
    <message>
        <source>Pair %1</source>
        <extracomment>%1 is the pair&apos;s number</extracomment>
        <translation>Paire %1</translation>
    </message>
    <message>
        <source>A:</source>
        <extracomment>the label of a pair&apos;s relay A</extracomment>
        <translation>A :</translation>
    </message>
    <message>
        <source>B:</source>
        <extracomment>the label of a pair&apos;s relay B</extracomment>
        <translation>B :</translation>
    </message>
    <message>
        <source>Pair %1 relay A</source>
        <extracomment>%1 is the pair&apos;s number</extracomment>
        <translation>Paire %1 relais A</translation>
    </message>
    <message>
        <source>Pair %1 relay B</source>
        <extracomment>%1 is the pair&apos;s number</extracomment>
        <translation>Paire %1 relais B</translation>
    </message>
    <message>
        <source>Label...</source>
        <translation>Étiquette...</translation>
    </message>
    <message>
        <source>
%1: closed %2 times of a rated %3</source>
        <extracomment>%1 is &quot;Worn out&quot; or &quot;Wearing&quot;, %2 and %3 counts of closings</extracomment>
        <translation>
%1 : fermé %2 fois sur %3 nominales</translation>
    </message>
    <message>
        <source>Worn out</source>
        <translation>Usé</translation>
    </message>
    <message>
        <source>Wearing</source>
        <translation>En usure</translation>
    </message>
    <message>
        <source>Relay label</source>
        <translation>Étiquette du relais</translation>
    </message>
    <message>
        <source>Label of pair %1 relay %2 (relay %3), up to %4 characters; empty for none:</source>
        <extracomment>%1 is the pair&apos;s number, %2 the relay&apos;s letter (A, B), %3 the relay&apos;s number, %4 the greatest number of characters of a label</extracomment>
        <translation>Étiquette de la paire %1 relais %2 (relais %3), jusqu&apos;à %4 caractères ; vide pour aucune :</translation>
    </message>
    <message>
        <source>The label was not changed: %1.</source>
        <extracomment>%1 says why</extracomment>
        <translation>L&apos;étiquette n&apos;a pas été modifiée : %1.</translation>
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
        <translation>Choisit quand l&apos;état des relais est appliqué.
Modes possibles : Asynchrone, Sync. commande, Sync. déclench.
Asynchrone – application immédiate après le changement d&apos;un relais,
Sync. commande – application après une commande de mise à jour,
Sync. déclench. – application après un signal de déclenchement.</translation>
    </message>
    <message>
        <source>Generates synchronization trigger signal.</source>
        <translation>Génère le signal de déclenchement de synchronisation.</translation>
    </message>
    <message>
        <source>Issues update command to update relays state in synchronous mode.</source>
        <translation>Envoie en mode synchrone la commande de mise à jour qui applique l&apos;état des relais.</translation>
    </message>
    <message>
        <source>Indicates if relays state was updated in synchronous mode.
Red color - not synchronized,
Green color - synchronized.
Always green in asynchronous mode.</source>
        <translation>Indique si l&apos;état des relais a été appliqué en mode synchrone.
Rouge – non synchronisé,
Vert – synchronisé.
Toujours vert en mode asynchrone.</translation>
    </message>
    <message>
        <source>Turns on exclusive mode. In this mode only one of the relays in pair can be switched on.</source>
        <translation>Active le mode exclusif. Dans ce mode, un seul des deux relais d&apos;une paire peut être activé.</translation>
    </message>
    <message>
        <source>Asynchronous</source>
        <translation>Asynchrone</translation>
    </message>
    <message>
        <source>Sync. Command</source>
        <translation>Sync. commande</translation>
    </message>
    <message>
        <source>Sync. Trigger</source>
        <translation>Sync. déclench.</translation>
    </message>
    <message>
        <source>Switching Mode Control</source>
        <translation>Mode de commutation</translation>
    </message>
    <message>
        <source>Trigger</source>
        <translation>Déclencher</translation>
    </message>
    <message>
        <source>Update</source>
        <translation>Appliquer</translation>
    </message>
    <message>
        <source>Synchronized</source>
        <translation>Synchronisé</translation>
    </message>
    <message>
        <source>Exclusive</source>
        <translation>Exclusif</translation>
    </message>
    <message>
        <source>Refused: %1</source>
        <extracomment>%1 says why a change of the card was refused</extracomment>
        <translation>Refusé : %1</translation>
    </message>
    <message>
        <source>The switching log is not kept: %1</source>
        <extracomment>%1 says why, as the system says it</extracomment>
        <translation>Le journal de commutation n&apos;est pas tenu : %1</translation>
    </message>
    <message>
        <source>Switching log...</source>
        <translation>Journal de commutation...</translation>
    </message>
    <message>
        <source>Apply &quot;%1&quot;</source>
        <extracomment>%1 is the name of a state of the fixture</extracomment>
        <translation>Appliquer « %1 »</translation>
    </message>
    <message>
        <source>Save current state as...</source>
        <translation>Enregistrer l&apos;état actuel sous...</translation>
    </message>
    <message>
        <source>Save state</source>
        <translation>Enregistrer l&apos;état</translation>
    </message>
    <message>
        <source>Name of the state (the closed relays, the mode and the exclusive rule), up to %1 characters; a state of that name is replaced:</source>
        <extracomment>%1 is the greatest number of characters of a name</extracomment>
        <translation>Nom de l&apos;état (les relais fermés, le mode et la règle exclusive), jusqu&apos;à %1 caractères ; un état de ce nom est remplacé :</translation>
    </message>
    <message>
        <source>The state was not saved: %1.</source>
        <extracomment>%1 says why</extracomment>
        <translation>L&apos;état n&apos;a pas été enregistré : %1.</translation>
    </message>
</context>
</TS>
