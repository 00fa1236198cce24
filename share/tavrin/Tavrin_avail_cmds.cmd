# Available commands of tavrin in the Annotation application (start and change history)
Annotation|Tavrin|TAVRIN-BATCH-START-DIALOG|TAVRIN-BATCH-START-DIALOG|Verzeichnis
Annotation|Tavrin|TAVRIN-NOW-START-DIALOG|TAVRIN-NOW-START-DIALOG|Zeichnung
Annotation|Tavrin|TV_INFO_EDIT|TV_INFO_EDIT|Edit-Doku
Annotation|Tavrin|TV_INFO_DROP|TV_INFO_DROP|INFO neu
