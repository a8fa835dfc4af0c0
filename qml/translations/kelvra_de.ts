<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name>AboutDialog</name>
    <message>
        <source>About Kelvra Config</source>
        <translation>Über Kelvra Config</translation>
    </message>
    <message>
        <source>Open folder</source>
        <translation>Ordner öffnen</translation>
    </message>
    <message>
        <source>Open the folder %1</source>
        <translation>Den Ordner %1 öffnen</translation>
    </message>
    <message>
        <source>Version %1 (build %2)</source>
        <translation>Version %1 (Build %2)</translation>
    </message>
    <message>
        <source>The configuration program of the Kelvra music visualiser: choose the scenes the player shows, their playlists and how the player shows them.</source>
        <translation>Das Einstellungsprogramm des Musikvisualisierers Kelvra: Wählen Sie, welche Szenen der Player zeigt, ihre Playlists und wie der Player sie zeigt.</translation>
    </message>
    <message>
        <source>Program folder</source>
        <translation>Programmordner</translation>
    </message>
    <message>
        <source>Your folder (scenes, playlists, settings)</source>
        <translation>Ihr Ordner (Szenen, Playlists, Einstellungen)</translation>
    </message>
</context>
<context>
    <name>ApplicationInfo</name>
    <message>
        <source>Copyright 2026 Kelvra. All rights reserved. The Qt modules shipped with the program are used under the GNU LGPL version 3; see the copyright file of the package.</source>
        <translation>Copyright 2026 Kelvra. Alle Rechte vorbehalten. Die mitgelieferten Qt-Module werden unter der GNU LGPL Version 3 verwendet; siehe die Copyright-Datei des Pakets.</translation>
    </message>
</context>
<context>
    <name>BulkEditDialog</name>
    <message>
        <source>No scene is selected in the active playlist.</source>
        <translation>In der aktiven Playlist ist keine Szene ausgewählt.</translation>
    </message>
    <message>
        <source>Type a tag or pick one. %1 selected.</source>
        <translation>Geben Sie einen Tag ein oder wählen Sie einen aus. %1 ausgewählt.</translation>
    </message>
    <message>
        <source>“%1” is a filter word, not a tag.</source>
        <translation>„%1“ ist ein Filterwort, kein Tag.</translation>
    </message>
    <message>
        <source>Every selected scene has this tag already.</source>
        <translation>Jede ausgewählte Szene hat diesen Tag schon.</translation>
    </message>
    <message>
        <source>No selected scene has this tag.</source>
        <translation>Keine ausgewählte Szene hat diesen Tag.</translation>
    </message>
    <message>
        <source>Every selected scene allows relicensing already.</source>
        <translation>Jede ausgewählte Szene erlaubt die Relizenzierung schon.</translation>
    </message>
    <message>
        <source>Every selected scene forbids relicensing already.</source>
        <translation>Jede ausgewählte Szene verbietet die Relizenzierung schon.</translation>
    </message>
    <message>
        <source>Changes the files of %1</source>
        <translation>Ändert die Dateien von %1</translation>
    </message>
    <message>
        <source>%1; all of them are visible.</source>
        <translation>%1; alle sind sichtbar.</translation>
    </message>
    <message>
        <source>%1, %2 of them hidden by the filter.</source>
        <translation>%1, davon %2 vom Filter ausgeblendet.</translation>
    </message>
    <message>
        <source>1 selected scene cannot be read and stays as it is.</source>
        <translation>1 ausgewählte Szene ist nicht lesbar und bleibt, wie sie ist.</translation>
    </message>
    <message>
        <source>%1 selected scenes cannot be read and stay as they are.</source>
        <translation>%1 ausgewählte Szenen sind nicht lesbar und bleiben, wie sie sind.</translation>
    </message>
    <message>
        <source>1 scene</source>
        <translation>1 Szene</translation>
    </message>
    <message>
        <source>%1 scenes</source>
        <translation>%1 Szenen</translation>
    </message>
    <message>
        <source>Add a tag to the selected scenes</source>
        <translation>Den ausgewählten Szenen einen Tag hinzufügen</translation>
    </message>
    <message>
        <source>Remove a tag from the selected scenes</source>
        <translation>Einen Tag von den ausgewählten Szenen entfernen</translation>
    </message>
    <message>
        <source>Allow relicensing of the selected scenes</source>
        <translation>Relizenzierung der ausgewählten Szenen erlauben</translation>
    </message>
    <message>
        <source>Forbid relicensing of the selected scenes</source>
        <translation>Relizenzierung der ausgewählten Szenen verbieten</translation>
    </message>
    <message>
        <source>Tag</source>
        <translation>Tag</translation>
    </message>
    <message>
        <source>Add to %1</source>
        <translation>Zu %1 hinzufügen</translation>
    </message>
    <message>
        <source>Remove from %1</source>
        <translation>Von %1 entfernen</translation>
    </message>
    <message>
        <source>Change %1</source>
        <translation>%1 ändern</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
</context>
<context>
    <name>BulkSceneEdit</name>
    <message>
        <source>“%1” (%2)</source>
        <translation>„%1“ (%2)</translation>
    </message>
</context>
<context>
    <name>BulkToolbar</name>
    <message>
        <source>Select all</source>
        <translation>Alle auswählen</translation>
    </message>
    <message>
        <source>Select every visible scene (Ctrl+A)</source>
        <translation>Alle sichtbaren Szenen auswählen (Strg+A)</translation>
    </message>
    <message>
        <source>None</source>
        <translation>Keine</translation>
    </message>
    <message>
        <source>Deselect every visible scene (Ctrl+Shift+A)</source>
        <translation>Alle sichtbaren Szenen abwählen (Strg+Umschalt+A)</translation>
    </message>
    <message>
        <source>Deselect all visible scenes</source>
        <translation>Alle sichtbaren Szenen abwählen</translation>
    </message>
    <message>
        <source>Toggle</source>
        <translation>Umkehren</translation>
    </message>
    <message>
        <source>Invert the selection of every visible scene (Ctrl+I)</source>
        <translation>Die Auswahl aller sichtbaren Szenen umkehren (Strg+I)</translation>
    </message>
    <message>
        <source>Toggle selection of visible scenes</source>
        <translation>Auswahl der sichtbaren Szenen umkehren</translation>
    </message>
    <message>
        <source>+ Tag</source>
        <translation>+ Tag</translation>
    </message>
    <message>
        <source>Add a tag to every scene selected in the playlist (Ctrl+T)</source>
        <translation>Jeder in der Playlist ausgewählten Szene einen Tag hinzufügen (Strg+T)</translation>
    </message>
    <message>
        <source>Add a tag to the selected scenes</source>
        <translation>Den ausgewählten Szenen einen Tag hinzufügen</translation>
    </message>
    <message>
        <source>− Tag</source>
        <translation>− Tag</translation>
    </message>
    <message>
        <source>Remove a tag from every scene selected in the playlist</source>
        <translation>Einen Tag von jeder in der Playlist ausgewählten Szene entfernen</translation>
    </message>
    <message>
        <source>Remove a tag from the selected scenes</source>
        <translation>Einen Tag von den ausgewählten Szenen entfernen</translation>
    </message>
    <message>
        <source>Relicensing ▾</source>
        <translation>Relizenzierung ▾</translation>
    </message>
    <message>
        <source>Relicensing of the selected scenes</source>
        <translation>Relizenzierung der ausgewählten Szenen</translation>
    </message>
    <message>
        <source>Allow relicensing of the selected scenes…</source>
        <translation>Relizenzierung der ausgewählten Szenen erlauben …</translation>
    </message>
    <message>
        <source>Forbid relicensing of the selected scenes…</source>
        <translation>Relizenzierung der ausgewählten Szenen verbieten …</translation>
    </message>
    <message>
        <source>More actions</source>
        <translation>Weitere Aktionen</translation>
    </message>
    <message>
        <source>More actions on the scenes</source>
        <translation>Weitere Aktionen für die Szenen</translation>
    </message>
    <message>
        <source>Select all visible scenes</source>
        <translation>Alle sichtbaren Szenen auswählen</translation>
    </message>
    <message>
        <source>Add a tag to the selected scenes…</source>
        <translation>Den ausgewählten Szenen einen Tag hinzufügen …</translation>
    </message>
    <message>
        <source>Remove a tag from the selected scenes…</source>
        <translation>Einen Tag von den ausgewählten Szenen entfernen …</translation>
    </message>
</context>
<context>
    <name>CConfigViewModel</name>
    <message>
        <source>“%1” (%2)</source>
        <translation>„%1“ (%2)</translation>
    </message>
    <message>
        <source>The tag “%1” was not added to</source>
        <translation>Der Tag „%1“ wurde nicht hinzugefügt zu</translation>
    </message>
    <message>
        <source>The tag “%1” was not removed from</source>
        <translation>Der Tag „%1“ wurde nicht entfernt von</translation>
    </message>
    <message>
        <source>Relicensing was not changed for</source>
        <translation>Die Relizenzierung wurde nicht geändert für</translation>
    </message>
    <message>
        <source>%1 scenes: </source>
        <translation>%1 Szenen: </translation>
    </message>
    <message>
        <source> and %1 more</source>
        <translation> und %1 weitere</translation>
    </message>
    <message>
        <source>Playlist “%1” could not be read and was kept aside as %2; it starts empty.</source>
        <translation>Die Playlist „%1“ konnte nicht gelesen werden und wurde als %2 beiseitegelegt; sie beginnt leer.</translation>
    </message>
    <message>
        <source>Playlist “%1” could not be saved: the file could not be written. Its scenes are kept here and saved again with the next change.</source>
        <translation>Die Playlist „%1“ konnte nicht gespeichert werden: Die Datei ließ sich nicht schreiben. Ihre Szenen bleiben hier erhalten und werden mit der nächsten Änderung erneut gespeichert.</translation>
    </message>
    <message>
        <source>Playlist “%1” was not created: %2</source>
        <translation>Die Playlist „%1“ wurde nicht angelegt: %2</translation>
    </message>
    <message>
        <source>Playlist “%1” was not created: no free file name is left for it.</source>
        <translation>Die Playlist „%1“ wurde nicht angelegt: Es ist kein freier Dateiname mehr übrig.</translation>
    </message>
    <message>
        <source>Playlist “%1” was not created: the file could not be written.</source>
        <translation>Die Playlist „%1“ wurde nicht angelegt: Die Datei ließ sich nicht schreiben.</translation>
    </message>
    <message>
        <source>Playlist “%1” was not deleted: the file could not be removed.</source>
        <translation>Die Playlist „%1“ wurde nicht gelöscht: Die Datei ließ sich nicht entfernen.</translation>
    </message>
    <message>
        <source>Playlist “%1” was created and the player now runs it; tick its scenes in the grid.</source>
        <translation>Die Playlist „%1“ wurde angelegt und läuft jetzt im Player; wählen Sie ihre Szenen im Raster aus.</translation>
    </message>
    <message>
        <source>Playlist “%1” was deleted; the player now runs “%2”.</source>
        <translation>Die Playlist „%1“ wurde gelöscht; der Player spielt jetzt „%2“.</translation>
    </message>
    <message>
        <source>Playlist “%1” was deleted; the player has no playlist to run until you create one.</source>
        <translation>Die Playlist „%1“ wurde gelöscht; der Player hat keine Playlist zum Abspielen, bis Sie eine anlegen.</translation>
    </message>
    <message>
        <source>The scene “%1” cannot be previewed: %2.</source>
        <translation>Für die Szene „%1“ ist keine Vorschau möglich: %2.</translation>
    </message>
    <message>
        <source>1 scene</source>
        <translation>1 Szene</translation>
    </message>
    <message>
        <source>%1 scenes</source>
        <translation>%1 Szenen</translation>
    </message>
    <message>
        <source>Adding the tag “%1” to %2</source>
        <translation>Tag „%1“ wird zu %2 hinzugefügt</translation>
    </message>
    <message>
        <source>Removing the tag “%1” from %2</source>
        <translation>Tag „%1“ wird von %2 entfernt</translation>
    </message>
    <message>
        <source>Allowing relicensing of %1</source>
        <translation>Relizenzierung wird für %1 erlaubt</translation>
    </message>
    <message>
        <source>Forbidding relicensing of %1</source>
        <translation>Relizenzierung wird für %1 verboten</translation>
    </message>
    <message>
        <source>Nothing was changed: wait until the running edit of many scenes ends.</source>
        <translation>Nichts wurde geändert: Warten Sie, bis die laufende Bearbeitung vieler Szenen endet.</translation>
    </message>
    <message>
        <source>Tag “%1” added to %2.</source>
        <translation>Tag „%1“ zu %2 hinzugefügt.</translation>
    </message>
    <message>
        <source>Tag “%1” removed from %2.</source>
        <translation>Tag „%1“ von %2 entfernt.</translation>
    </message>
    <message>
        <source>Relicensing allowed for %1.</source>
        <translation>Relizenzierung für %1 erlaubt.</translation>
    </message>
    <message>
        <source>Relicensing forbidden for %1.</source>
        <translation>Relizenzierung für %1 verboten.</translation>
    </message>
    <message>
        <source>Cancelled: %1 left unchanged.</source>
        <translation>Abgebrochen: %1 unverändert gelassen.</translation>
    </message>
    <message>
        <source>Undone: %1.</source>
        <translation>Rückgängig gemacht: %1.</translation>
    </message>
    <message>
        <source>Could not undo %1: %2</source>
        <translation>Nicht rückgängig zu machen: %1: %2</translation>
    </message>
    <message>
        <source>Playlist “%1” was deleted.</source>
        <translation>Die Playlist „%1“ wurde gelöscht.</translation>
    </message>
    <message>
        <source>adding the tag “%1” to %2</source>
        <translation>Hinzufügen des Tags „%1“ zu %2</translation>
    </message>
    <message>
        <source>removing the tag “%1” from %2</source>
        <translation>Entfernen des Tags „%1“ von %2</translation>
    </message>
    <message>
        <source>allowing relicensing of %1</source>
        <translation>Erlauben der Relizenzierung von %1</translation>
    </message>
    <message>
        <source>forbidding relicensing of %1</source>
        <translation>Verbieten der Relizenzierung von %1</translation>
    </message>
    <message>
        <source>“%1” (no longer listed)</source>
        <translation>„%1“ (nicht mehr aufgeführt)</translation>
    </message>
    <message>
        <source>left unchanged</source>
        <translation>unverändert gelassen</translation>
    </message>
    <message>
        <source>deleting the playlist “%1”</source>
        <translation>Löschen der Playlist „%1“</translation>
    </message>
    <message>
        <source>its scenes are no longer kept</source>
        <translation>ihre Szenen sind nicht mehr gespeichert</translation>
    </message>
    <message>
        <source>no free file name is left for it</source>
        <translation>es ist kein freier Dateiname mehr übrig</translation>
    </message>
    <message>
        <source>its file is no longer in the trash</source>
        <translation>ihre Datei ist nicht mehr im Papierkorb</translation>
    </message>
    <message>
        <source>its file could not be moved back from the trash</source>
        <translation>ihre Datei ließ sich nicht aus dem Papierkorb zurückholen</translation>
    </message>
    <message>
        <source>the file could not be written</source>
        <translation>die Datei ließ sich nicht schreiben</translation>
    </message>
    <message>
        <source>Playlist “%1” is back as “%2”: a playlist of its name was made since.</source>
        <translation>Die Playlist „%1“ ist als „%2“ zurück: Inzwischen wurde eine Playlist ihres Namens angelegt.</translation>
    </message>
    <message>
        <source>ticking %1 in “%2”</source>
        <translation>Auswählen von %1 in „%2“</translation>
    </message>
    <message>
        <source>%1 ticked in “%2”.</source>
        <translation>%1 in „%2“ ausgewählt.</translation>
    </message>
    <message>
        <source>unticking %1 in “%2”</source>
        <translation>Abwählen von %1 in „%2“</translation>
    </message>
    <message>
        <source>%1 unticked in “%2”.</source>
        <translation>%1 in „%2“ abgewählt.</translation>
    </message>
    <message>
        <source>toggling the ticks of %1 in “%2”</source>
        <translation>Umkehren der Auswahl von %1 in „%2“</translation>
    </message>
    <message>
        <source>Ticks of %1 toggled in “%2”.</source>
        <translation>Auswahl von %1 in „%2“ umgekehrt.</translation>
    </message>
    <message>
        <source>the playlist “%1” is no longer the active one</source>
        <translation>die Playlist „%1“ ist nicht mehr die aktive</translation>
    </message>
</context>
<context>
    <name>CPlaylistViewModel</name>
    <message>
        <source>Playlist “%1” was not renamed to “%2”: %3</source>
        <translation>Die Playlist „%1“ wurde nicht in „%2“ umbenannt: %3</translation>
    </message>
    <message>
        <source>the playlist folder is not known</source>
        <translation>der Playlist-Ordner ist nicht bekannt</translation>
    </message>
    <message>
        <source>a playlist of that name exists already</source>
        <translation>eine Playlist dieses Namens gibt es schon</translation>
    </message>
    <message>
        <source>the file could not be renamed</source>
        <translation>die Datei ließ sich nicht umbenennen</translation>
    </message>
    <message>
        <source>Enter a name.</source>
        <translation>Geben Sie einen Namen ein.</translation>
    </message>
    <message>
        <source>“%1” cannot be a file name.</source>
        <translation>„%1“ kann kein Dateiname sein.</translation>
    </message>
    <message>
        <source>A playlist name cannot contain / or \.</source>
        <translation>Ein Playlist-Name darf weder / noch \ enthalten.</translation>
    </message>
    <message>
        <source>A playlist name cannot contain a NUL character.</source>
        <translation>Ein Playlist-Name darf kein NUL-Zeichen enthalten.</translation>
    </message>
    <message>
        <source>A playlist name cannot contain &lt; &gt; : " | ? * or control characters.</source>
        <translation>Ein Playlist-Name darf weder &lt; &gt; : " | ? * noch Steuerzeichen enthalten.</translation>
    </message>
    <message>
        <source>A playlist name cannot end with a dot or a space.</source>
        <translation>Ein Playlist-Name darf nicht mit einem Punkt oder Leerzeichen enden.</translation>
    </message>
    <message>
        <source>“%1” is reserved for a device.</source>
        <translation>„%1“ ist für ein Gerät reserviert.</translation>
    </message>
    <message>
        <source>The name is too long for a file name.</source>
        <translation>Der Name ist zu lang für einen Dateinamen.</translation>
    </message>
</context>
<context>
    <name>CSceneViewModel</name>
    <message>
        <source>the file could not be read</source>
        <translation>die Datei ließ sich nicht lesen</translation>
    </message>
    <message>
        <source>Scene “%1”: the tag “%2” was not added: %3</source>
        <translation>Szene „%1“: Der Tag „%2“ wurde nicht hinzugefügt: %3</translation>
    </message>
    <message>
        <source>Scene “%1”: the tag “%2” was not removed: %3</source>
        <translation>Szene „%1“: Der Tag „%2“ wurde nicht entfernt: %3</translation>
    </message>
    <message>
        <source>Scene “%1”: the relicensing flag was not changed: %2</source>
        <translation>Szene „%1“: Die Relizenzierung wurde nicht geändert: %2</translation>
    </message>
    <message>
        <source>Scene “%1” was not changed: wait until the running edit of many scenes ends.</source>
        <translation>Szene „%1“ wurde nicht geändert: Warten Sie, bis die laufende Bearbeitung vieler Szenen endet.</translation>
    </message>
</context>
<context>
    <name>DetailsPane</name>
    <message>
        <source>DETAILS</source>
        <translation>DETAILS</translation>
    </message>
    <message>
        <source>Click a scene to see its details.</source>
        <translation>Klicken Sie auf eine Szene, um ihre Details zu sehen.</translation>
    </message>
    <message>
        <source>Scroll the scene details</source>
        <translation>Szenendetails scrollen</translation>
    </message>
    <message>
        <source>Loading…</source>
        <translation>Wird geladen …</translation>
    </message>
    <message>
        <source>No thumbnail</source>
        <translation>Kein Vorschaubild</translation>
    </message>
    <message>
        <source>by %1</source>
        <translation>von %1</translation>
    </message>
    <message>
        <source>%1 · %2</source>
        <translation>%1 · %2</translation>
    </message>
    <message>
        <source>Official scene</source>
        <translation>Offizielle Szene</translation>
    </message>
    <message>
        <source>User scene</source>
        <translation>Eigene Szene</translation>
    </message>
    <message>
        <source>Licence</source>
        <translation>Lizenz</translation>
    </message>
    <message>
        <source>No licence given</source>
        <translation>Keine Lizenz angegeben</translation>
    </message>
    <message>
        <source>Licence %1, %2</source>
        <translation>Lizenz %1, %2</translation>
    </message>
    <message>
        <source>Preview</source>
        <translation>Vorschau</translation>
    </message>
    <message>
        <source>Show the scene in the player (Enter)</source>
        <translation>Die Szene im Player zeigen (Eingabetaste)</translation>
    </message>
    <message>
        <source>Preview the scene in the player</source>
        <translation>Vorschau der Szene im Player</translation>
    </message>
    <message>
        <source>Preview in VR</source>
        <translation>Vorschau in VR</translation>
    </message>
    <message>
        <source>Preview the scene in VR</source>
        <translation>Vorschau der Szene in VR</translation>
    </message>
    <message>
        <source>Identifier</source>
        <translation>Kennung</translation>
    </message>
    <message>
        <source>Identifier: %1</source>
        <translation>Kennung: %1</translation>
    </message>
    <message>
        <source>none</source>
        <translation>keine</translation>
    </message>
    <message>
        <source>File</source>
        <translation>Datei</translation>
    </message>
    <message>
        <source>File path: %1</source>
        <translation>Dateipfad: %1</translation>
    </message>
    <message>
        <source>“%1” is a filter word, not a tag.</source>
        <translation>„%1“ ist ein Filterwort, kein Tag.</translation>
    </message>
    <message>
        <source>The scene has this tag already.</source>
        <translation>Die Szene hat diesen Tag schon.</translation>
    </message>
    <message>
        <source>No preview: the file cannot be read</source>
        <translation>Keine Vorschau: Die Datei ist nicht lesbar</translation>
    </message>
    <message>
        <source>⚠ Cannot be read: %1</source>
        <translation>⚠ Nicht lesbar: %1</translation>
    </message>
    <message>
        <source>Relicensing allowed</source>
        <translation>Relizenzierung erlaubt</translation>
    </message>
    <message>
        <source>Relicensing allowed for this scene</source>
        <translation>Relizenzierung für diese Szene erlaubt</translation>
    </message>
    <message>
        <source>Remove this tag from the scene</source>
        <translation>Diesen Tag von der Szene entfernen</translation>
    </message>
    <message>
        <source>Remove the tag %1 from this scene</source>
        <translation>Den Tag %1 von dieser Szene entfernen</translation>
    </message>
    <message>
        <source>New tag</source>
        <translation>Neuer Tag</translation>
    </message>
    <message>
        <source>New tag for this scene</source>
        <translation>Neuer Tag für diese Szene</translation>
    </message>
    <message>
        <source>Add tag</source>
        <translation>Tag hinzufügen</translation>
    </message>
    <message>
        <source>Add the tag to this scene</source>
        <translation>Den Tag dieser Szene hinzufügen</translation>
    </message>
    <message>
        <source>Preview is not possible: the scene file cannot be read.</source>
        <translation>Keine Vorschau möglich: Die Szenendatei ist nicht lesbar.</translation>
    </message>
    <message>
        <source>Open containing folder</source>
        <translation>Ordner öffnen</translation>
    </message>
    <message>
        <source>Show the scene's file in the file manager</source>
        <translation>Die Datei der Szene in der Dateiverwaltung zeigen</translation>
    </message>
    <message>
        <source>Open the folder that holds the scene's file</source>
        <translation>Den Ordner öffnen, der die Datei der Szene enthält</translation>
    </message>
</context>
<context>
    <name>FilterPanel</name>
    <message>
        <source>FILTERS</source>
        <translation>FILTER</translation>
    </message>
    <message>
        <source>Clear all</source>
        <translation>Alle aufheben</translation>
    </message>
    <message>
        <source>Clear all filters</source>
        <translation>Alle Filter aufheben</translation>
    </message>
    <message>
        <source>Scroll the filters</source>
        <translation>Filter scrollen</translation>
    </message>
    <message>
        <source>Show only</source>
        <translation>Nur zeigen</translation>
    </message>
    <message>
        <source>Types</source>
        <translation>Typen</translation>
    </message>
    <message>
        <source>Tags</source>
        <translation>Tags</translation>
    </message>
</context>
<context>
    <name>HeaderBar</name>
    <message>
        <source>Search scene names… (Ctrl+F)</source>
        <translation>Szenennamen suchen … (Strg+F)</translation>
    </message>
    <message>
        <source>Search scenes by name</source>
        <translation>Szenen nach Namen suchen</translation>
    </message>
    <message>
        <source>Clear search</source>
        <translation>Suche leeren</translation>
    </message>
    <message>
        <source>Order:</source>
        <translation>Reihenfolge:</translation>
    </message>
    <message>
        <source>Newest</source>
        <translation>Neueste</translation>
    </message>
    <message>
        <source>Order newest first</source>
        <translation>Neueste zuerst</translation>
    </message>
    <message>
        <source>Name</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>Order by name</source>
        <translation>Nach Namen ordnen</translation>
    </message>
    <message>
        <source>Selected in “%1”: %2</source>
        <translation>Ausgewählt in „%1“: %2</translation>
    </message>
    <message>
        <source>No active playlist</source>
        <translation>Keine aktive Playlist</translation>
    </message>
    <message>
        <source>Settings (Ctrl+,)</source>
        <translation>Einstellungen (Strg+,)</translation>
    </message>
    <message>
        <source>Settings</source>
        <translation>Einstellungen</translation>
    </message>
    <message>
        <source>Main menu</source>
        <translation>Hauptmenü</translation>
    </message>
    <message>
        <source>Quit (Ctrl+Q)</source>
        <translation>Beenden (Strg+Q)</translation>
    </message>
    <message>
        <source>Hide playlists and filters (Ctrl+L)</source>
        <translation>Playlists und Filter ausblenden (Strg+L)</translation>
    </message>
    <message>
        <source>Show playlists and filters (Ctrl+L)</source>
        <translation>Playlists und Filter einblenden (Strg+L)</translation>
    </message>
    <message>
        <source>Hide playlists and filters</source>
        <translation>Playlists und Filter ausblenden</translation>
    </message>
    <message>
        <source>Show playlists and filters</source>
        <translation>Playlists und Filter einblenden</translation>
    </message>
    <message>
        <source>Details</source>
        <translation>Details</translation>
    </message>
    <message>
        <source>Hide the scene details (Ctrl+D)</source>
        <translation>Szenendetails ausblenden (Strg+D)</translation>
    </message>
    <message>
        <source>Show the scene details (Ctrl+D)</source>
        <translation>Szenendetails einblenden (Strg+D)</translation>
    </message>
    <message>
        <source>Scene details</source>
        <translation>Szenendetails</translation>
    </message>
    <message>
        <source>Settings… (Ctrl+,)</source>
        <translation>Einstellungen … (Strg+,)</translation>
    </message>
    <message>
        <source>Import scenes… (Ctrl+O)</source>
        <translation>Szenen importieren … (Strg+O)</translation>
    </message>
    <message>
        <source>Keyboard shortcuts (F1)</source>
        <translation>Tastenkürzel (F1)</translation>
    </message>
    <message>
        <source>About Kelvra Config</source>
        <translation>Über Kelvra Config</translation>
    </message>
    <message>
        <source>Author</source>
        <translation>Autor</translation>
    </message>
    <message>
        <source>Type</source>
        <translation>Typ</translation>
    </message>
    <message>
        <source>Order by author</source>
        <translation>Nach Autor ordnen</translation>
    </message>
    <message>
        <source>Order by type</source>
        <translation>Nach Typ ordnen</translation>
    </message>
    <message>
        <source>Reversed order: click for the usual order</source>
        <translation>Umgekehrte Reihenfolge: Klicken für die übliche</translation>
    </message>
    <message>
        <source>Usual order: click to reverse it</source>
        <translation>Übliche Reihenfolge: Klicken zum Umkehren</translation>
    </message>
    <message>
        <source>Reverse the order</source>
        <translation>Reihenfolge umkehren</translation>
    </message>
    <message>
        <source>Undo %1 (Ctrl+Z)</source>
        <translation>Rückgängig: %1 (Strg+Z)</translation>
    </message>
    <message>
        <source>Undo</source>
        <translation>Rückgängig</translation>
    </message>
    <message>
        <source>Order</source>
        <translation>Reihenfolge</translation>
    </message>
</context>
<context>
    <name>ImportDialog</name>
    <message>
        <source>Import scenes</source>
        <translation>Szenen importieren</translation>
    </message>
    <message>
        <source>Up</source>
        <translation>Nach oben</translation>
    </message>
    <message>
        <source>Go to the folder above</source>
        <translation>Zum übergeordneten Ordner</translation>
    </message>
    <message>
        <source>Scene packages (*.kvd *.kvc)</source>
        <translation>Szenenpakete (*.kvd *.kvc)</translation>
    </message>
    <message>
        <source>Folders and scene packages</source>
        <translation>Ordner und Szenenpakete</translation>
    </message>
    <message>
        <source>Folder %1</source>
        <translation>Ordner %1</translation>
    </message>
</context>
<context>
    <name>ImportDropArea</name>
    <message>
        <source>Drop scene packages here to import them</source>
        <translation>Szenenpakete hier ablegen, um sie zu importieren</translation>
    </message>
</context>
<context>
    <name>Logic</name>
    <message>
        <source>A playlist with this name exists already.</source>
        <translation>Eine Playlist mit diesem Namen gibt es schon.</translation>
    </message>
</context>
<context>
    <name>Main</name>
    <message>
        <source>Kelvra Config</source>
        <translation>Kelvra Config</translation>
    </message>
</context>
<context>
    <name>MessageBanner</name>
    <message>
        <source>Undo</source>
        <translation>Rückgängig</translation>
    </message>
    <message>
        <source>Undo: %1</source>
        <translation>Rückgängig: %1</translation>
    </message>
</context>
<context>
    <name>PlaylistDeleteDialog</name>
    <message>
        <source>Delete playlist</source>
        <translation>Playlist löschen</translation>
    </message>
    <message>
        <source>Delete the playlist “%1”? Its file is removed, and the player runs the active playlist instead.</source>
        <translation>Die Playlist „%1“ löschen? Ihre Datei wird entfernt, und der Player spielt stattdessen die aktive Playlist.</translation>
    </message>
    <message>
        <source>Delete the playlist “%1”? Its file is removed.</source>
        <translation>Die Playlist „%1“ löschen? Ihre Datei wird entfernt.</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>Löschen</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
</context>
<context>
    <name>PlaylistNameDialog</name>
    <message>
        <source>New playlist</source>
        <translation>Neue Playlist</translation>
    </message>
    <message>
        <source>Name:</source>
        <translation>Name:</translation>
    </message>
    <message>
        <source>Name of the new playlist</source>
        <translation>Name der neuen Playlist</translation>
    </message>
    <message>
        <source>The new playlist becomes active and runs in the player.</source>
        <translation>Die neue Playlist wird aktiv und läuft im Player.</translation>
    </message>
    <message>
        <source>Create</source>
        <translation>Anlegen</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
</context>
<context>
    <name>PlaylistPanel</name>
    <message>
        <source>The playlist was not renamed.</source>
        <translation>Die Playlist wurde nicht umbenannt.</translation>
    </message>
    <message>
        <source>PLAYLISTS</source>
        <translation>PLAYLISTS</translation>
    </message>
    <message>
        <source>New playlist (Ctrl+N)</source>
        <translation>Neue Playlist (Strg+N)</translation>
    </message>
    <message>
        <source>New playlist</source>
        <translation>Neue Playlist</translation>
    </message>
    <message>
        <source>Scroll the playlists</source>
        <translation>Playlists scrollen</translation>
    </message>
    <message>
        <source>Playlists</source>
        <translation>Playlists</translation>
    </message>
    <message>
        <source>%1%2%3</source>
        <translation>%1%2%3</translation>
    </message>
    <message>
        <source>, active</source>
        <translation>, aktiv</translation>
    </message>
    <message>
        <source>, runs in the player</source>
        <translation>, läuft im Player</translation>
    </message>
    <message>
        <source>Active: the grid shows its scenes as selected</source>
        <translation>Aktiv: Das Raster zeigt ihre Szenen als ausgewählt</translation>
    </message>
    <message>
        <source>New name of the playlist</source>
        <translation>Neuer Name der Playlist</translation>
    </message>
    <message>
        <source>The player runs this playlist</source>
        <translation>Der Player spielt diese Playlist</translation>
    </message>
    <message>
        <source>Actions for %1</source>
        <translation>Aktionen für %1</translation>
    </message>
    <message>
        <source>Make active</source>
        <translation>Aktivieren</translation>
    </message>
    <message>
        <source>Run in the player</source>
        <translation>Im Player abspielen</translation>
    </message>
    <message>
        <source>View in the player</source>
        <translation>Im Player ansehen</translation>
    </message>
    <message>
        <source>View in VR</source>
        <translation>In VR ansehen</translation>
    </message>
    <message>
        <source>Rename (F2)</source>
        <translation>Umbenennen (F2)</translation>
    </message>
    <message>
        <source>Delete… (Del)</source>
        <translation>Löschen … (Entf)</translation>
    </message>
    <message>
        <source>Playlist “%1” was not created.</source>
        <translation>Die Playlist „%1“ wurde nicht angelegt.</translation>
    </message>
    <message>
        <source>Click a playlist to make it active; its scenes are then ticked in the grid.</source>
        <translation>Klicken Sie auf eine Playlist, um sie zu aktivieren; ihre Szenen sind dann im Raster ausgewählt.</translation>
    </message>
    <message>
        <source>Create a playlist to tick scenes for it.</source>
        <translation>Legen Sie eine Playlist an, um Szenen für sie auszuwählen.</translation>
    </message>
</context>
<context>
    <name>RunningPlaylistBar</name>
    <message>
        <source>Player runs no playlist</source>
        <translation>Der Player spielt keine Playlist</translation>
    </message>
    <message>
        <source>Player runs: %1</source>
        <translation>Player spielt: %1</translation>
    </message>
    <message>
        <source>Player runs: %1 (bundled)</source>
        <translation>Player spielt: %1 (mitgeliefert)</translation>
    </message>
    <message>
        <source>Player runs: %1 (not in your playlists)</source>
        <translation>Player spielt: %1 (nicht in Ihren Playlists)</translation>
    </message>
    <message>
        <source>You are editing “%1”, which the player does not run.</source>
        <translation>Sie bearbeiten „%1“, die der Player nicht spielt.</translation>
    </message>
    <message>
        <source>Make it run</source>
        <translation>Abspielen</translation>
    </message>
    <message>
        <source>Make “%1” run in the player</source>
        <translation>„%1“ im Player abspielen</translation>
    </message>
    <message>
        <source>Keep what the player runs</source>
        <translation>Beibehalten, was der Player spielt</translation>
    </message>
</context>
<context>
    <name>SceneBrowser</name>
    <message>
        <source>Scenes</source>
        <translation>Szenen</translation>
    </message>
    <message>
        <source>Scroll the scenes</source>
        <translation>Szenen scrollen</translation>
    </message>
    <message>
        <source>No scenes are installed.</source>
        <translation>Es sind keine Szenen installiert.</translation>
    </message>
    <message>
        <source>No scenes match.</source>
        <translation>Keine Szene passt.</translation>
    </message>
    <message>
        <source>Clear filters</source>
        <translation>Filter aufheben</translation>
    </message>
    <message>
        <source>%1 of %2 scenes shown</source>
        <translation>%1 von %2 Szenen gezeigt</translation>
    </message>
    <message>
        <source>Preview</source>
        <translation>Vorschau</translation>
    </message>
    <message>
        <source>Preview in VR</source>
        <translation>Vorschau in VR</translation>
    </message>
    <message>
        <source>Remove from the playlist</source>
        <translation>Aus der Playlist entfernen</translation>
    </message>
    <message>
        <source>Add to the playlist</source>
        <translation>Zur Playlist hinzufügen</translation>
    </message>
    <message>
        <source>Wait until the running edit ends</source>
        <translation>Warten Sie, bis die laufende Bearbeitung endet</translation>
    </message>
    <message>
        <source>Select scenes in the active playlist first</source>
        <translation>Wählen Sie zuerst Szenen in der aktiven Playlist aus</translation>
    </message>
    <message>
        <source>%1… %2 of %3 done</source>
        <translation>%1 … %2 von %3 erledigt</translation>
    </message>
    <message>
        <source>Progress of the edit</source>
        <translation>Fortschritt der Bearbeitung</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>Cancel the edit of the scenes</source>
        <translation>Die Bearbeitung der Szenen abbrechen</translation>
    </message>
    <message>
        <source>Size:</source>
        <translation>Größe:</translation>
    </message>
    <message>
        <source>Thumbnail size (Ctrl+plus, Ctrl+minus, Ctrl+0)</source>
        <translation>Größe der Vorschaubilder (Strg+Plus, Strg+Minus, Strg+0)</translation>
    </message>
    <message>
        <source>Thumbnail size</source>
        <translation>Größe der Vorschaubilder</translation>
    </message>
    <message>
        <source>Open containing folder</source>
        <translation>Ordner öffnen</translation>
    </message>
</context>
<context>
    <name>SceneCard</name>
    <message>
        <source>%1 by %2, %3%4</source>
        <translation>%1 von %2, %3%4</translation>
    </message>
    <message>
        <source>, selected</source>
        <translation>, ausgewählt</translation>
    </message>
    <message>
        <source>user scene</source>
        <translation>eigene Szene</translation>
    </message>
    <message>
        <source>User</source>
        <translation>Eigene</translation>
    </message>
    <message>
        <source>Select %1</source>
        <translation>%1 auswählen</translation>
    </message>
    <message>
        <source>In the active playlist (Space)</source>
        <translation>In der aktiven Playlist (Leertaste)</translation>
    </message>
    <message>
        <source>Make a playlist active to select scenes</source>
        <translation>Aktivieren Sie eine Playlist, um Szenen auszuwählen</translation>
    </message>
    <message>
        <source>%1 · %2</source>
        <translation>%1 · %2</translation>
    </message>
    <message>
        <source>%1, cannot be read%2</source>
        <translation>%1, nicht lesbar%2</translation>
    </message>
    <message>
        <source>⚠ Cannot be read</source>
        <translation>⚠ Nicht lesbar</translation>
    </message>
    <message>
        <source>Cannot be read</source>
        <translation>Nicht lesbar</translation>
    </message>
    <message>
        <source>%1: %2</source>
        <translation>%1: %2</translation>
    </message>
    <message>
        <source>%1 by %2
%3</source>
        <translation>%1 von %2
%3</translation>
    </message>
</context>
<context>
    <name>SceneChange</name>
    <message>
        <source>the file could not be read</source>
        <translation>die Datei ließ sich nicht lesen</translation>
    </message>
    <message>
        <source>the file could not be written</source>
        <translation>die Datei ließ sich nicht schreiben</translation>
    </message>
</context>
<context>
    <name>SceneFileBackups</name>
    <message>
        <source>its earlier state is no longer kept</source>
        <translation>sein früherer Zustand ist nicht mehr gespeichert</translation>
    </message>
    <message>
        <source>the file was changed since</source>
        <translation>die Datei wurde seitdem geändert</translation>
    </message>
    <message>
        <source>its earlier state could not be read</source>
        <translation>sein früherer Zustand ließ sich nicht lesen</translation>
    </message>
    <message>
        <source>the file could not be written</source>
        <translation>die Datei ließ sich nicht schreiben</translation>
    </message>
</context>
<context>
    <name>SceneImporter</name>
    <message>
        <source>a scene named “%1” is already imported and was kept as it is</source>
        <translation>eine Szene namens „%1“ ist bereits importiert und wurde unverändert behalten</translation>
    </message>
    <message>
        <source>“%1” could not be copied</source>
        <translation>„%1“ konnte nicht kopiert werden</translation>
    </message>
    <message>
        <source>“%1” is not a file on this computer</source>
        <translation>„%1“ ist keine Datei auf diesem Computer</translation>
    </message>
    <message>
        <source>No scene imported.</source>
        <translation>Keine Szene importiert.</translation>
    </message>
    <message>
        <source>1 scene imported.</source>
        <translation>1 Szene importiert.</translation>
    </message>
    <message>
        <source>%1 scenes imported.</source>
        <translation>%1 Szenen importiert.</translation>
    </message>
    <message>
        <source> Not imported: </source>
        <translation> Nicht importiert: </translation>
    </message>
    <message>
        <source> and %1 more</source>
        <translation> und %1 weitere</translation>
    </message>
</context>
<context>
    <name>SettingsDrawer</name>
    <message>
        <source>Settings</source>
        <translation>Einstellungen</translation>
    </message>
    <message>
        <source>Close settings</source>
        <translation>Einstellungen schließen</translation>
    </message>
    <message>
        <source>Scroll the settings</source>
        <translation>Einstellungen scrollen</translation>
    </message>
    <message>
        <source>Scenes and transitions</source>
        <translation>Szenen und Übergänge</translation>
    </message>
    <message>
        <source>Random scene order</source>
        <translation>Zufällige Szenenfolge</translation>
    </message>
    <message>
        <source>Pick the next scene at random instead of in playlist order</source>
        <translation>Die nächste Szene zufällig statt in Playlist-Reihenfolge wählen</translation>
    </message>
    <message>
        <source>Minimum scene time</source>
        <translation>Kürzeste Szenendauer</translation>
    </message>
    <message>
        <source>s</source>
        <translation>s</translation>
    </message>
    <message>
        <source>Maximum scene time</source>
        <translation>Längste Szenendauer</translation>
    </message>
    <message>
        <source>Transition time</source>
        <translation>Übergangsdauer</translation>
    </message>
    <message>
        <source>Transition: outgoing scene scale</source>
        <translation>Übergang: Skalierung der gehenden Szene</translation>
    </message>
    <message>
        <source>Transition: incoming scene scale</source>
        <translation>Übergang: Skalierung der kommenden Szene</translation>
    </message>
    <message>
        <source>Post-processing probability</source>
        <translation>Wahrscheinlichkeit der Nachbearbeitung</translation>
    </message>
    <message>
        <source>How often a post-processing scene is layered on top</source>
        <translation>Wie oft eine Nachbearbeitungsszene darübergelegt wird</translation>
    </message>
    <message>
        <source>Rendering</source>
        <translation>Darstellung</translation>
    </message>
    <message>
        <source>Render size</source>
        <translation>Rendergröße</translation>
    </message>
    <message>
        <source>Relative</source>
        <translation>Relativ</translation>
    </message>
    <message>
        <source>Render size relative to the window</source>
        <translation>Rendergröße relativ zum Fenster</translation>
    </message>
    <message>
        <source>Pixels</source>
        <translation>Pixel</translation>
    </message>
    <message>
        <source>Render size in pixels</source>
        <translation>Rendergröße in Pixeln</translation>
    </message>
    <message>
        <source>Size relative to the window</source>
        <translation>Größe relativ zum Fenster</translation>
    </message>
    <message>
        <source>Width</source>
        <translation>Breite</translation>
    </message>
    <message>
        <source>px</source>
        <translation>px</translation>
    </message>
    <message>
        <source>Height</source>
        <translation>Höhe</translation>
    </message>
    <message>
        <source>Preload the next scene</source>
        <translation>Nächste Szene vorab laden</translation>
    </message>
    <message>
        <source>Smoother scene changes, more memory</source>
        <translation>Weichere Szenenwechsel, mehr Speicher</translation>
    </message>
    <message>
        <source>Sound</source>
        <translation>Ton</translation>
    </message>
    <message>
        <source>Capture sound</source>
        <translation>Ton aufnehmen</translation>
    </message>
    <message>
        <source>Capture from the recording device</source>
        <translation>Vom Aufnahmegerät aufnehmen</translation>
    </message>
    <message>
        <source>Use the microphone or line input instead of what is playing</source>
        <translation>Mikrofon oder Line-Eingang statt der laufenden Wiedergabe verwenden</translation>
    </message>
    <message>
        <source>Longest silence before restarting capture</source>
        <translation>Längste Stille vor dem Neustart der Aufnahme</translation>
    </message>
    <message>
        <source>Change scene after silence of</source>
        <translation>Szene wechseln nach einer Stille von</translation>
    </message>
    <message>
        <source>Wait after a silence change</source>
        <translation>Wartezeit nach einem Stillewechsel</translation>
    </message>
    <message>
        <source>VR</source>
        <translation>VR</translation>
    </message>
    <message>
        <source>Layer scenes in VR</source>
        <translation>Szenen in VR überlagern</translation>
    </message>
    <message>
        <source>Prefer OpenVR</source>
        <translation>OpenVR bevorzugen</translation>
    </message>
    <message>
        <source>VR render size</source>
        <translation>VR-Rendergröße</translation>
    </message>
    <message>
        <source>General</source>
        <translation>Allgemein</translation>
    </message>
    <message>
        <source>Check for a new version</source>
        <translation>Nach einer neuen Version suchen</translation>
    </message>
    <message>
        <source>Send anonymous usage statistics</source>
        <translation>Anonyme Nutzungsstatistik senden</translation>
    </message>
    <message>
        <source>Shorter than the minimum scene time: set it to at least %1.</source>
        <translation>Kürzer als die kürzeste Szenendauer: Stellen Sie mindestens %1 ein.</translation>
    </message>
    <message>
        <source>Theme</source>
        <translation>Design</translation>
    </message>
    <message>
        <source>Like the desktop</source>
        <translation>Wie der Desktop</translation>
    </message>
    <message>
        <source>Light</source>
        <translation>Hell</translation>
    </message>
    <message>
        <source>Dark</source>
        <translation>Dunkel</translation>
    </message>
    <message>
        <source>Theme: %1</source>
        <translation>Design: %1</translation>
    </message>
    <message>
        <source>Reset to defaults…</source>
        <translation>Auf Standardwerte zurücksetzen …</translation>
    </message>
    <message>
        <source>Reset the player's settings to their defaults</source>
        <translation>Die Einstellungen des Players auf ihre Standardwerte zurücksetzen</translation>
    </message>
    <message>
        <source>Reset settings</source>
        <translation>Einstellungen zurücksetzen</translation>
    </message>
    <message>
        <source>Set every setting of the player in this drawer back to its default: scene times, transitions, sound, rendering, VR and updates. The playlists, the scenes and the theme stay as they are.</source>
        <translation>Jede Einstellung des Players in diesem Bereich wird auf ihren Standardwert gesetzt: Szenendauer, Übergänge, Ton, Darstellung, VR und Aktualisierungen. Playlists, Szenen und Design bleiben, wie sie sind.</translation>
    </message>
    <message>
        <source>Reset</source>
        <translation>Zurücksetzen</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
</context>
<context>
    <name>ShortcutsSheet</name>
    <message>
        <source>Keyboard shortcuts</source>
        <translation>Tastenkürzel</translation>
    </message>
    <message>
        <source>Finding scenes</source>
        <translation>Szenen finden</translation>
    </message>
    <message>
        <source>Ctrl+F</source>
        <translation>Strg+F</translation>
    </message>
    <message>
        <source>Search scene names</source>
        <translation>Szenennamen suchen</translation>
    </message>
    <message>
        <source>Enter or Down</source>
        <translation>Eingabetaste oder Pfeil nach unten</translation>
    </message>
    <message>
        <source>From the search field to the scenes</source>
        <translation>Vom Suchfeld zu den Szenen</translation>
    </message>
    <message>
        <source>Tab, arrow keys, Space</source>
        <translation>Tab, Pfeiltasten, Leertaste</translation>
    </message>
    <message>
        <source>Move between and switch the filters</source>
        <translation>Zwischen den Filtern wechseln und sie schalten</translation>
    </message>
    <message>
        <source>The scene grid</source>
        <translation>Das Szenenraster</translation>
    </message>
    <message>
        <source>Arrow keys</source>
        <translation>Pfeiltasten</translation>
    </message>
    <message>
        <source>Move between scenes</source>
        <translation>Zwischen Szenen wechseln</translation>
    </message>
    <message>
        <source>Home, End, Page Up, Page Down</source>
        <translation>Pos1, Ende, Bild auf, Bild ab</translation>
    </message>
    <message>
        <source>First, last scene, a screen up or down</source>
        <translation>Erste, letzte Szene, eine Seite hoch oder runter</translation>
    </message>
    <message>
        <source>Space</source>
        <translation>Leertaste</translation>
    </message>
    <message>
        <source>Add the scene to the active playlist or take it out</source>
        <translation>Die Szene in die aktive Playlist aufnehmen oder herausnehmen</translation>
    </message>
    <message>
        <source>Enter</source>
        <translation>Eingabetaste</translation>
    </message>
    <message>
        <source>Preview the scene in the player</source>
        <translation>Vorschau der Szene im Player</translation>
    </message>
    <message>
        <source>Ctrl+A</source>
        <translation>Strg+A</translation>
    </message>
    <message>
        <source>Select every visible scene</source>
        <translation>Alle sichtbaren Szenen auswählen</translation>
    </message>
    <message>
        <source>Ctrl+Shift+A</source>
        <translation>Strg+Umschalt+A</translation>
    </message>
    <message>
        <source>Deselect every visible scene</source>
        <translation>Alle sichtbaren Szenen abwählen</translation>
    </message>
    <message>
        <source>Ctrl+I</source>
        <translation>Strg+I</translation>
    </message>
    <message>
        <source>Invert the selection of the visible scenes</source>
        <translation>Die Auswahl der sichtbaren Szenen umkehren</translation>
    </message>
    <message>
        <source>Playlists</source>
        <translation>Playlists</translation>
    </message>
    <message>
        <source>Ctrl+N</source>
        <translation>Strg+N</translation>
    </message>
    <message>
        <source>New playlist</source>
        <translation>Neue Playlist</translation>
    </message>
    <message>
        <source>F2</source>
        <translation>F2</translation>
    </message>
    <message>
        <source>Rename the active playlist</source>
        <translation>Die aktive Playlist umbenennen</translation>
    </message>
    <message>
        <source>Del</source>
        <translation>Entf</translation>
    </message>
    <message>
        <source>Delete the focused playlist (asks first)</source>
        <translation>Die fokussierte Playlist löschen (mit Rückfrage)</translation>
    </message>
    <message>
        <source>The program</source>
        <translation>Das Programm</translation>
    </message>
    <message>
        <source>Ctrl+,</source>
        <translation>Strg+,</translation>
    </message>
    <message>
        <source>Settings</source>
        <translation>Einstellungen</translation>
    </message>
    <message>
        <source>F1 or Ctrl+?</source>
        <translation>F1 oder Strg+?</translation>
    </message>
    <message>
        <source>This list</source>
        <translation>Diese Liste</translation>
    </message>
    <message>
        <source>Ctrl+Q</source>
        <translation>Strg+Q</translation>
    </message>
    <message>
        <source>Quit</source>
        <translation>Beenden</translation>
    </message>
    <message>
        <source>Ctrl+T</source>
        <translation>Strg+T</translation>
    </message>
    <message>
        <source>Add a tag to the selected scenes</source>
        <translation>Den ausgewählten Szenen einen Tag hinzufügen</translation>
    </message>
    <message>
        <source>Ctrl+O</source>
        <translation>Strg+O</translation>
    </message>
    <message>
        <source>Import scene packages</source>
        <translation>Szenenpakete importieren</translation>
    </message>
    <message>
        <source>Ctrl+L</source>
        <translation>Strg+L</translation>
    </message>
    <message>
        <source>Show or hide playlists and filters</source>
        <translation>Playlists und Filter ein- oder ausblenden</translation>
    </message>
    <message>
        <source>Ctrl+D</source>
        <translation>Strg+D</translation>
    </message>
    <message>
        <source>Show or hide the scene details</source>
        <translation>Szenendetails ein- oder ausblenden</translation>
    </message>
    <message>
        <source>Ctrl+click</source>
        <translation>Strg+Klick</translation>
    </message>
    <message>
        <source>Shift+click</source>
        <translation>Umschalt+Klick</translation>
    </message>
    <message>
        <source>Add every visible scene from the last clicked to this one</source>
        <translation>Alle sichtbaren Szenen von der zuletzt angeklickten bis zu dieser hinzufügen</translation>
    </message>
    <message>
        <source>Ctrl+plus, Ctrl+minus</source>
        <translation>Strg+Plus, Strg+Minus</translation>
    </message>
    <message>
        <source>Bigger or smaller thumbnails</source>
        <translation>Größere oder kleinere Vorschaubilder</translation>
    </message>
    <message>
        <source>Ctrl+0</source>
        <translation>Strg+0</translation>
    </message>
    <message>
        <source>Thumbnails at the usual size</source>
        <translation>Vorschaubilder in üblicher Größe</translation>
    </message>
    <message>
        <source>Ctrl+Z</source>
        <translation>Strg+Z</translation>
    </message>
    <message>
        <source>Undo the last scene edit, deleted playlist or change of the ticks</source>
        <translation>Die letzte Szenenänderung, gelöschte Playlist oder Auswahländerung rückgängig machen</translation>
    </message>
</context>
<context>
    <name>TagChip</name>
    <message>
        <source>Selected</source>
        <translation>Ausgewählt</translation>
    </message>
    <message>
        <source>Not selected</source>
        <translation>Nicht ausgewählt</translation>
    </message>
    <message>
        <source>User scenes</source>
        <translation>Eigene Szenen</translation>
    </message>
    <message>
        <source>Official scenes</source>
        <translation>Offizielle Szenen</translation>
    </message>
    <message>
        <source>No relicensing</source>
        <translation>Keine Relizenzierung</translation>
    </message>
    <message>
        <source>%1, %2 scenes</source>
        <translation>%1, %2 Szenen</translation>
    </message>
</context>
</TS>
